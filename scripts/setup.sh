#!/usr/bin/env bash
# Installs the Debian packages Velmora needs for each purpose named on the command line:
#   run    the programs themselves (Qt's runtime and platform plugin, fonts, the card reader service)
#   build  compiling them, their man pages and the Debian package
#   test   every test of the suite
#   bench  the speed and memory figures
#   fuzz   the libFuzzer targets
# Without arguments: run and build. Only what is missing is installed; run as root or with
# sudo available.
set -euo pipefail

(($#)) || set -- run build
packages=()
for purpose; do
  case $purpose in
  run) packages+=(qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic pcscd libccid) ;;
  build) packages+=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
    libpcsclite-dev libxlsxwriter-dev help2man dpkg-dev file) ;;
  test) packages+=(clang-format libgtest-dev libgmock-dev vsmartcard-vpcd
    xvfb xdotool x11-utils faketime imagemagick librsvg2-bin dbus python3-dbusmock
    unzip poppler-utils inotify-tools strace lintian desktop-file-utils appstream) ;;
  bench) packages+=(libbenchmark-dev xvfb xdotool faketime) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  *) echo "setup.sh: $purpose: not one of run, build, test, bench, fuzz" >&2 && exit 2 ;;
  esac
done

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
