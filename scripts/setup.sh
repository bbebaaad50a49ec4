#!/usr/bin/env bash
# Prepares a fresh Debian 12 machine to build and test tabbridge. Idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  cmake ninja-build g++ dpkg-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth x11-apps imagemagick xdotool fonts-wqy-microhei
  googletest libcjson-dev libtinyxml2-dev libcapstone-dev pkg-config clang
  python3 wine64 chromium
)

need_install=0
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || { need_install=1; break; }
done

src_list=/etc/apt/sources.list.d/tabbridge-src.sources
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi
if [ ! -f "$src_list" ]; then
  $SUDO tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi
if [ "$need_install" = 1 ] || [ "$need_update" = 1 ]; then
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${packages[@]}"
fi

# Some machines run 64-bit user code only: there Wine's 32-bit side runs under
# qemu's user-mode emulator, registered for i386 programs. qemu 7.2 (bookworm)
# hangs Wine's services; the backported 10.x runs them.
scripts/i386-emulation.sh

# Third-party sources for the Windows build come from Debian's source packages,
# unpacked inside the build tree.
third=build/third_party
mkdir -p "$third"
fetch_source() {  # package, directory glob
  local pkg=$1
  if ! ls -d "$third/$pkg"-*/ >/dev/null 2>&1; then
    (cd "$third" && apt-get source -q "$pkg" >/dev/null)
  fi
}
fetch_source cjson
fetch_source tinyxml2
for pkg in cjson tinyxml2; do
  dir=$(ls -d "$third/$pkg"-*/ | head -n 1)
  ln -sfn "$(basename "$dir")" "$third/$pkg"
done
echo "setup: ok"
