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
# Oxbow ends with 18 after its normal shutdown; this script reports that as success and passes
# every other code on. SIGTERM and SIGINT sent to the script reach the program.
build/app/oxbow --sim --run "$@" &
program=$!
signalled=0
trap 'signalled=1; kill -TERM "$program" 2>/dev/null' TERM INT
status=0
wait "$program" || status=$?
# A signal interrupts that wait; the second one gives the program's own exit code.
if [ "$signalled" -eq 1 ]; then
  status=0
  wait "$program" || status=$?
fi
[ "$status" -eq 18 ] && status=0
exit "$status"
