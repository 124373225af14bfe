#!/usr/bin/env bash
# Installs the Debian packages Verselet needs to build, run and test, and nothing
# when they are all there already. Uses sudo when not run as root.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libcdio-dev libcdio-paranoia-dev libcdio-utils
  libsndfile1-dev libsoxr-dev librubberband-dev
  libtag1-dev python3-mutagen ffmpeg python3-srt python3-ttconv
  libmecab-dev mecab-ipadic-utf8
  fonts-noto-cjk
  pulseaudio pulseaudio-utils
  sox libsox-fmt-all
  util-linux
  desktop-file-utils appstream shared-mime-info groff-base
  dpkg-dev binutils xdg-utils
  clang libclang-rt-14-dev clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
