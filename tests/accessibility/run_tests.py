"""Runs the end-to-end tests once the accessibility bus answers; exits 77
(a skip) with the reason when it cannot start."""

import subprocess
import sys
import unittest

# Asks the session bus for the accessibility bus (at-spi-bus-launcher starts
# it), then asks the registry on it how many applications it knows.
PROBE = """
from gi.repository import Gio, GLib
session = Gio.bus_get_sync(Gio.BusType.SESSION)
address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                            GLib.VariantType("(s)"), 0, 30000, None).unpack()[0]
a11y = Gio.DBusConnection.new_for_address_sync(
    address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
a11y.call_sync("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", "org.freedesktop.DBus.Properties",
               "Get", GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "ChildCount")), None, 0, 30000, None)
"""


def accessibility_bus_error():
    """None when the registry answers; else why not. Asked in a child
    process, as a bus that never comes up can hang the caller."""
    try:
        probe = subprocess.run([sys.executable, "-c", PROBE], capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        return "the AT-SPI registry did not answer within 60 s"
    if probe.returncode != 0:
        return probe.stderr.strip().splitlines()[-1] if probe.stderr.strip() else "exit %d" % probe.returncode
    return None


def main():
    error = accessibility_bus_error()
    if error:
        print("SKIPPED: the accessibility bus cannot start in this session: " + error, file=sys.stderr)
        return 77
    names = sys.argv[1:] or ["test_end_to_end", "test_feature_windows", "test_file_transfer"]
    suite = unittest.defaultTestLoader.loadTestsFromNames(names)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
