#!/usr/bin/env bash
# A longer fuzz run of the message file reader, or of the editor's save
# (default: the reader, ten minutes).
#   fuzz.sh [seconds] [reader|save]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TEPO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" fuzz
target=${2:-reader}
case "$target" in
  reader) corpus="$build/fuzz/tests/fuzz/corpus" ;;
  save) corpus="$build/fuzz/tests/fuzz/save_corpus" ;;
  *) echo "fuzz.sh: no fuzz target '$target' (reader or save)" >&2; exit 2 ;;
esac
mkdir -p "$corpus"
exec "$build/fuzz/bin/${target}_fuzz" -max_total_time="${1:-600}" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  "$corpus" "$root/tests/fuzz/corpus"
