#!/usr/bin/env bash
# Fails when a C++ source differs from what .clang-format makes of it.
# Usage: scripts/check-format.sh        (check)   scripts/check-format.sh --fix   (rewrite)
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/oxbow-format.$$; then
  grep -o '^[^:]*:[0-9]*' /tmp/oxbow-format.$$ | cut -d: -f1 | sort -u | sed 's/^/needs formatting: /' >&2
  rm -f /tmp/oxbow-format.$$
  echo "Run scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/oxbow-format.$$
echo "format: ${#files[@]} files follow .clang-format"
