#!/usr/bin/env bash
# A longer fuzz run of the message file reader (default ten minutes).
#   fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" fuzz
mkdir -p "$build/fuzz/tests/fuzz/corpus"
exec "$build/fuzz/bin/reader_fuzz" -max_total_time="${1:-600}" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  "$build/fuzz/tests/fuzz/corpus" "$root/tests/fuzz/corpus"
