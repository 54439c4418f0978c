#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator for the Windows build
# (cmake/mingw-w64-x86_64.cmake). The prefix is $WINEPREFIX, or one of the
# user's own in the temporary folder; it is made on first use, without a
# display, and every COM<n> in it stands for <prefix>/serial_lines/com<n>,
# where the tests' far-end helper links its lines. So Wine never maps the
# machine's own serial ports, and a restart of Wine's serial driver puts back
# the same links.
#   wine_run.sh PROGRAM [ARGUMENTS...]   runs the program
#   wine_run.sh --prepare                only makes the prefix ready
set -euo pipefail

export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/kestrix-wine-$(id -u)}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

prepare_prefix() {
  local ports=$WINEPREFIX/serial_lines
  [ -f "$WINEPREFIX/.kestrix-ready" ] && return 0
  mkdir -p "$WINEPREFIX" "$ports"
  wineboot --init >/dev/null 2>&1
  local registry
  registry=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
    for n in $(seq 1 256); do printf '"COM%d"="%s/com%d"\n' "$n" "$ports" "$n"; done
  } >"$registry"
  wine regedit /S "$(winepath -w "$registry")" >/dev/null 2>&1
  rm -f "$registry"
  # The serial driver reads the ports when Wine starts: start it afresh.
  wineserver -k || true
  wineserver -w || true
  rm -f "$WINEPREFIX"/dosdevices/com*
  wineboot >/dev/null 2>&1
  touch "$WINEPREFIX/.kestrix-ready"
}

# One preparation at a time (CTest runs tests side by side).
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
prepare_prefix
flock -u 9
exec 9>&-

[ "${1:-}" = "--prepare" ] && exit 0
exec wine "$@"
