#!/usr/bin/env bash
# Install what is missing, build a release build in build/, and start Oxbow on the
# built-in simulated instrument. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
if [ ! -x build/app/oxbow ]; then
  echo "Oxbow's program is not built yet; the libraries and tests are. Nothing to start."
  exit 0
fi
exec build/app/oxbow --sim --run "$@"
