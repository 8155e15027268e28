#!/usr/bin/env bash
# Installs everything tepo needs to build, run and test on Debian 12.
# Safe to run again: packages already present are left alone.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  cmake make g++ ninja-build
  googletest
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb x11-apps imagemagick xauth xdotool
  locales fonts-ipafont-gothic
  clang libclang-rt-14-dev clang-format
  zip file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(wine32:i386)
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # A mirror caught mid-sync fails one list; what the others hold may still do.
  $SUDO apt-get update -q || echo "install-deps: some package lists could not be read; going on with the rest"
  install=($SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends)
  # Without the security list of one architecture, an amd64 library can be
  # newer than its i386 twin, which multiarch refuses: the release's own
  # versions then agree.
  "${install[@]}" "${missing[@]}" ||
    "${install[@]}" -t "$(. /etc/os-release && echo "$VERSION_CODENAME")" "${missing[@]}"
fi

# The Japanese locale makes Wine use code page 932 for ANSI calls.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi
