#!/bin/sh
# Prepares a folder the program cannot write into (immutable: no file can be
# created, renamed or removed in it), and takes it away again.
#   immutable_folder.sh setup|cleanup DIR
set -u
dir=$2
case "$1" in
  setup)
    chattr -i "$dir" 2>/dev/null
    rm -rf "$dir"
    mkdir -p "$dir"
    printf 'old message\r\n' > "$dir/tepo.dat"
    chattr +i "$dir" 2>/dev/null || touch "$dir/.unsupported"
    ;;
  cleanup)
    chattr -i "$dir" 2>/dev/null
    rm -rf "$dir"
    ;;
esac
exit 0
