#!/usr/bin/env bash
# Installs the Debian packages Velmora needs for each purpose named on the command line:
#   run    the programs themselves (Qt's runtime and platform plugin, fonts, the card reader service)
#   build  compiling them, their man pages and the Debian package
#   test   every test of the suite
#   bench  the speed and memory figures
#   fuzz   the libFuzzer targets
#   windows  cross-building the Windows programs and testing them under Wine (with build)
# Without arguments: run and build. Only what is missing is installed; run as root or with
# sudo available.
set -euo pipefail

(($#)) || set -- run build
packages=()
for purpose; do
  case $purpose in
  run) packages+=(qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic pcscd libccid) ;;
  build) packages+=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
    libpcsclite-dev libxlsxwriter-dev dpkg-dev file) ;;
  test) packages+=(ccache clang-format libgtest-dev libgmock-dev vsmartcard-vpcd
    xvfb xdotool x11-utils faketime imagemagick librsvg2-bin dbus python3-dbusmock
    unzip poppler-utils inotify-tools strace lintian desktop-file-utils appstream) ;;
  bench) packages+=(libbenchmark-dev xvfb xdotool faketime) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  windows) packages+=(qt6-translations-l10n g++-mingw-w64-x86-64-posix libz-mingw-w64-dev ninja-build xz-utils zip
    wine wine64 fonts-wine locales fonts-ipafont-gothic googletest xvfb xdotool faketime
    imagemagick nsis) ;;
  *) echo "setup.sh: $purpose: not one of run, build, test, bench, fuzz, windows" >&2 && exit 2 ;;
  esac
done

windows=false
[[ " $* " == *" windows "* ]] && windows=true

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# windows: the static Qt 6.4.2 for MinGW at /opt/qt6-mingw (it only works there), unpacked from
# the toolchains folder that lies beside the checkout (its README tells how it was built).
if $windows && [ ! -f /opt/qt6-mingw/lib/cmake/Qt6/qt.toolchain.cmake ]; then
  toolchains=$(cd "$(dirname "$0")/.." && pwd)/../shared/toolchains
  [ -f "$toolchains/qt6-mingw-6.4.2.tar.xz" ] ||
    { echo "No $toolchains/qt6-mingw-6.4.2.tar.xz: build it with build-qt6-mingw.sh there" >&2; exit 1; }
  (cd "$toolchains" && sha256sum --quiet -c SHA256SUMS)
  echo "Unpacking the static Qt for MinGW at /opt/qt6-mingw"
  $sudo tar -C /opt -xJf "$toolchains/qt6-mingw-6.4.2.tar.xz"
fi

# windows: Debian has no libxlsxwriter for MinGW; this builds a static one at
# /opt/libxlsxwriter-mingw from Debian's source of the version the Linux build uses (about 20 s),
# through a private apt configuration that turns the machine's package sources into source ones.
if $windows && [ ! -f /opt/libxlsxwriter-mingw/lib/libxlsxwriter.a ]; then
  work=$(mktemp -d)
  trap '$sudo rm -rf "$work"' EXIT
  mkdir -p "$work/parts" "$work/lists/partial"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$work/parts/$(basename "$f")"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -nE 's/^deb[[:space:]]/deb-src /p' "$f" >> "$work/sources.list"
  done
  apt=(${sudo:+$sudo} apt-get -q -o Dir::Etc::SourceList="$work/sources.list"
       -o Dir::Etc::SourceParts="$work/parts" -o Dir::State::Lists="$work/lists"
       -o APT::Sandbox::User=root)
  "${apt[@]}" update >/dev/null
  version=$(dpkg-query -W -f='${source:Version}' libxlsxwriter-dev)
  (cd "$work" && "${apt[@]}" source --download-only "libxlsxwriter=$version" >/dev/null)
  tar -C "$work" -xzf "$work"/libxlsxwriter_*.orig.tar.gz
  cmake -G Ninja -S "$(echo "$work"/libxlsxwriter-*/)" -B "$work/build" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_TOOLCHAIN_FILE=/opt/qt6-mingw/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX=/opt/libxlsxwriter-mingw >/dev/null
  cmake --build "$work/build" -j2 >/dev/null
  $sudo cmake --install "$work/build" >/dev/null
fi
