#!/usr/bin/env bash
# Runs the accessibility-tree tests against a built program, in their own X
# server (Xvfb) and D-Bus session, so that they need no display and leave
# nothing behind. Where the machine lets us make a mount namespace (root, or
# a user namespace), the program also gets a private /run/lock, so that its
# lock files never meet the machine's.
#
#   run_accessibility_tests.sh PROGRAM [unittest arguments...]
#
# Exit status 77 (a skip) only when the accessibility bus cannot start;
# missing tools are a failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
shift

missing=()
for tool in dbus-run-session xvfb-run xauth /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
# The distribution's Python, which has the distribution's AT-SPI and Xlib
# bindings.
/usr/bin/python3 -c 'import pyatspi, Xlib' 2>/dev/null || missing+=("python3-pyatspi/python3-xlib")
if [ ${#missing[@]} -gt 0 ]; then
  echo "missing for the accessibility tests: ${missing[*]} (see KESTRIX_PACKAGES in scripts/lib/common.sh)" >&2
  exit 1
fi

if [ -z "${KESTRIX_PRIVATE_LOCKS:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
  export KESTRIX_PRIVATE_LOCKS=1
  # shellcheck disable=SC2016
  exec unshare --mount --propagation private bash -c \
    'mount -t tmpfs -o mode=1777 kestrix-locks /run/lock 2>/dev/null || true; exec "$0" "$@"' \
    "$0" "$program" "$@"
fi

export KESTRIX_PROGRAM=$program
export PYTHONPATH="$here${PYTHONPATH:+:$PYTHONPATH}"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  /usr/bin/python3 "$here/run_tests.py" "$@"
