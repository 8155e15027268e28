#!/usr/bin/env bash
# Formats the C++ sources with the project's .clang-format, or with --check
# tells which files differ from it (exit status 1 when some do).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  exec clang-format --dry-run -Werror "${files[@]}"
fi
exec clang-format -i "${files[@]}"
