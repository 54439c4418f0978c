#!/usr/bin/env bash
# Runs app_bench as a screen-reader user runs the program: the window on an
# X server of its own (Xvfb), the accessibility bridge on, an AT-SPI bus up
# in a D-Bus session of its own, and a listener on that bus that hears the
# text and caret events of every application and reads the changed text
# back, as a screen reader does.
#
#   bench/app_bench_screen_reader.sh build/release/bench/app_bench [app_bench arguments...]
#   e.g. ... --feeder-only            the runs fed by a process of their own
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=$(realpath "$1")
shift

if [ -z "${KESTRIX_BENCH_SESSION:-}" ]; then
  for tool in dbus-run-session xvfb-run /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (see KESTRIX_PACKAGES in scripts/lib/common.sh)" >&2; exit 1; }
  done
  unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY
  export KESTRIX_BENCH_SESSION=1
  exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$bench" "$@"
fi

# The listener: every text change and caret move of every application, its
# text read back through the bus.
/usr/bin/python3 - <<'PY' &
import pyatspi

def heard(event):
    try:
        text = event.source.queryText()
        text.getText(max(0, text.caretOffset - 80), text.caretOffset)
    except Exception:
        pass

pyatspi.Registry.registerEventListener(heard, "object:text-changed:insert", "object:text-changed:delete",
                                       "object:text-caret-moved", "focus:")
pyatspi.Registry.start()
PY
listener=$!
trap 'kill $listener 2>/dev/null || true' EXIT
sleep 2  # the bus and the listener up before the window comes
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$bench" "$@"
