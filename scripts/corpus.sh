#!/usr/bin/env bash
# Installs Debian's packages of real text (manual pages and guides in
# Japanese and other languages, the translations of installed programs and
# of the ISO names) and extracts their plain lines into a folder, one file
# per language, for tools/reading_model.py. Run as root on Debian 12.
# Usage: scripts/corpus.sh [folder]   (default: build/corpus)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/corpus}"
packages=(
  manpages-ja manpages-ja-dev debian-reference-ja iso-codes
  manpages-de manpages-fr manpages-es manpages-it manpages-pl manpages-ru manpages-uk
  manpages-vi manpages-el manpages-ro manpages-cs manpages-tr manpages-zh manpages-pt-br
  manpages-hu manpages-sr manpages-mk manpages-nl manpages-sv manpages-id
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "corpus.sh: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
  [[ -n "$(ls /var/lib/apt/lists/*_Packages* 2>/dev/null)" ]] || apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
python3 "$root/tools/reading_model.py" corpus "$out"
