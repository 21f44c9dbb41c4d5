#!/usr/bin/env bash
# Install what is missing, build, and run the whole suite headless.
# OXBOW_SANITIZE=address,undefined ./test.sh builds and tests with sanitizers in build-sanitize/;
# OXBOW_SANITIZE=thread ./test.sh builds with ThreadSanitizer in build-tsan/ and runs the whole
# suite there, with the checker's suppressions (platform/tsanshim/tsan.supp, each entry with its
# reason) and OXBOW_TEST_TIME_SCALE, the factor the program tests stretch their waits by.
set -euo pipefail
cd "$(dirname "$0")"
build=build
case "${OXBOW_SANITIZE:-}" in
  "") ;;
  thread)
    build=build-tsan
    export TSAN_OPTIONS="suppressions=$PWD/platform/tsanshim/tsan.supp:history_size=7"
    export OXBOW_TEST_TIME_SCALE=6
    ;;
  *)
    build=build-sanitize
    export LSAN_OPTIONS="suppressions=$PWD/decode/lsan.supp"
    ;;
esac
scripts/setup.sh "$build"
scripts/check-format.sh
export QT_QPA_PLATFORM=offscreen

# The tests each test program holds, counted from the programs themselves.
registered_tests() {
  local total=0 program count
  while IFS= read -r program; do
    count=$("$program" --gtest_list_tests | grep -c '^  ' || true)
    if [ "$count" -eq 0 ]; then
      echo "test.sh: $program holds no tests" >&2
      return 1
    fi
    total=$((total + count))
  done < <(find "$build" -path '*/CMakeFiles' -prune -o -type f -perm -u+x -name '*_tests' -print)
  echo "$total"
}

# Tests that are not in a test program (scripts run by ctest): their names hold no dot.
script_tests() {
  ctest --test-dir "$build" -N | grep -E '^ *Test +#[0-9]+: ' | grep -vc ': [^ ]*\.' || true
}

[ -x "$build/app/oxbow" ] || { echo "test.sh: $build/app/oxbow was not built" >&2; exit 1; }
expected=$(( $(registered_tests) + $(script_tests) ))
log="$build/ctest.log"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "${OXBOW_JOBS:-2}" | tee "$log"
ran=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -1)
if [ "${ran:-0}" -ne "$expected" ]; then
  echo "test.sh: ctest ran ${ran:-no} tests, the test programs hold $expected" >&2
  exit 1
fi
