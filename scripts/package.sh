#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the release tree in build/
# (shared with run.sh and test.sh) and runs CPack. The package lands in build/package/.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
(cd build && cpack -G DEB)
ls -l build/package/oxbow_*.deb
