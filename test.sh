#!/usr/bin/env bash
# Install what is missing, build, and run the whole suite headless.
# OXBOW_SANITIZE=address,undefined ./test.sh builds and tests with sanitizers in build-sanitize/.
set -euo pipefail
cd "$(dirname "$0")"
build=build
[ -n "${OXBOW_SANITIZE:-}" ] && build=build-sanitize
scripts/setup.sh "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "${OXBOW_JOBS:-2}"
