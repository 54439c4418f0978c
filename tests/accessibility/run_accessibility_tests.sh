#!/usr/bin/env bash
# Runs the accessibility-tree tests against a built program, each run in its
# own X server (Xvfb) and D-Bus session, so that they need no display and
# leave nothing behind.
#
#   run_accessibility_tests.sh PROGRAM [unittest arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export KESTRIX_PROGRAM=$1
shift
export PYTHONPATH="$here${PYTHONPATH:+:$PYTHONPATH}"
export NO_AT_BRIDGE=0
# The distribution's Python, which has the distribution's AT-SPI and Xlib
# bindings.
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  /usr/bin/python3 -m unittest "${@:-test_end_to_end}"
