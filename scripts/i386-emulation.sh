#!/usr/bin/env bash
# Makes 32-bit Linux programs (Wine's i386 loader) runnable. Where the kernel
# refuses them (64-bit user code only), installs qemu's user-mode emulator
# from bookworm-backports and registers it for i386 ELF files. Idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
qemu=/usr/bin/qemu-i386

# A static i386 program that exits with 7, run with the emulator's entry off.
probe=build/i386-probe
if [ ! -x "$probe" ]; then
  mkdir -p build
  work=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n movl $7, %%ebx\n int $0x80\n' >"$work/p.s"
  as --32 "$work/p.s" -o "$work/p.o"
  ld -m elf_i386 "$work/p.o" -o "$probe"
  rm -rf "$work"
fi
runs_natively() {
  local was_on=0 rc=0
  if [ -f "$entry" ] && head -n 1 "$entry" | grep -qx enabled; then
    echo 0 | $SUDO tee "$entry" >/dev/null
    was_on=1
  fi
  "$probe" 2>/dev/null || rc=$?
  [ "$was_on" = 1 ] && echo 1 | $SUDO tee "$entry" >/dev/null
  [ "$rc" = 7 ]
}
if runs_natively; then
  exit 0
fi

qemu_major() { "$qemu" --version 2>/dev/null | sed -n 's/.*version \([0-9]*\)\..*/\1/p'; }
if [ "$(qemu_major)" -lt 10 ] 2>/dev/null || [ -z "$(qemu_major)" ]; then
  bpo=/etc/apt/sources.list.d/tabbridge-backports.sources
  if [ ! -f "$bpo" ]; then
    $SUDO tee "$bpo" >/dev/null <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends \
    -t bookworm-backports qemu-user
fi

[ -d "$binfmt" ] && [ -f "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
if [ -f "$entry" ] && ! grep -qx "interpreter $qemu" "$entry"; then
  echo -1 | $SUDO tee "$entry" >/dev/null
fi
if [ ! -f "$entry" ]; then
  # F: the kernel opens the emulator now, so it works inside any mount namespace.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
    $SUDO tee "$binfmt/register" >/dev/null
fi
echo 1 | $SUDO tee "$entry" >/dev/null
if [ "$("$probe" >/dev/null 2>&1; echo $?)" != 7 ]; then
  echo "i386-emulation: 32-bit programs still do not run" >&2
  exit 1
fi
echo "i386-emulation: 32-bit programs run under $("$qemu" --version | head -n 1)"
