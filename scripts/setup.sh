#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, run and test.
# Only what is missing is installed; run as root or with sudo available.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpcsclite-dev pcscd vsmartcard-vpcd
  fonts-ipafont-gothic
  xvfb xdotool x11-utils faketime imagemagick librsvg2-bin inotify-tools strace
  dbus python3-dbusmock
  libxlsxwriter-dev unzip poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
