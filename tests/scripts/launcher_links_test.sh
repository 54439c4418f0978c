#!/usr/bin/env bash
# The launcher's virtual cable in a fresh runtime folder: its two links
# appear at the lowest numbers that the user's links leave free, and vanish
# when the launcher is killed with SIGKILL.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
launcher=""
cleanup() {
  [ -n "$launcher" ] && kill -9 "$launcher" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$scratch/run" XDG_CONFIG_HOME="$scratch/config"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/kestrix/ports"
ln -s /dev/null "$XDG_CONFIG_HOME/kestrix/ports/COM1"     # the user's link
echo "COM2 usb:remembered" >"$XDG_CONFIG_HOME/kestrix/port-numbers"
ports="$XDG_RUNTIME_DIR/kestrix/ports"

# The launcher as scripts/run starts the cable, then waits as for the window.
bash -c "source '$repo/scripts/lib/virtual_cable.sh'; start_virtual_cable; sleep 300" &
launcher=$!

for _ in $(seq 100); do
  [ -L "$ports/COM3" ] && [ -L "$ports/COM4" ] && break
  sleep 0.1
done
if [ ! -L "$ports/COM3" ] || [ ! -L "$ports/COM4" ]; then
  echo "FAIL: the cable's links COM3 and COM4 did not appear: $(ls -A "$ports" 2>&1)"
  exit 1
fi
[ -c "$(readlink -f "$ports/COM3")" ] || { echo "FAIL: COM3 does not lead to a terminal"; exit 1; }

kill -9 "$launcher"
wait "$launcher" 2>/dev/null || true
launcher=""
for _ in $(seq 50); do
  [ -z "$(ls -A "$ports")" ] && break
  sleep 0.1
done
if [ -n "$(ls -A "$ports")" ]; then
  echo "FAIL: links outlived the launcher: $(ls -A "$ports")"
  exit 1
fi
[ -L "$XDG_CONFIG_HOME/kestrix/ports/COM1" ] || { echo "FAIL: the user's link went"; exit 1; }
echo "PASS"
