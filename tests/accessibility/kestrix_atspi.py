"""Kestrix driven through the accessibility tree (AT-SPI), as a screen reader
or a desktop test tool sees it: controls are found by the names a reader
speaks, pressed through their actions, typed into through their editable
text, and read through their text. Nothing depends on pixel positions or the
clipboard.

Runs inside a private X server and D-Bus session (see run_accessibility_tests.sh).
A test makes a NullModem (two ports joined like a cable), starts a Kestrix
session on it, and uses the helpers below; add scenarios as test methods.
"""

import os
import select
import shutil
import subprocess
import tempfile
import threading
import time
import tty
import warnings

# pyatspi calls deprecated libatspi names; that is its business, not ours.
warnings.filterwarnings("ignore", category=DeprecationWarning, module="pyatspi")

import pyatspi  # noqa: E402
from gi.repository import GLib  # noqa: E402
from Xlib import XK, X, Xatom, display, protocol  # noqa: E402
from Xlib.ext import xtest  # noqa: E402
from window_texts import LOCALE, T  # noqa: E402

TIMEOUT = 30.0  # seconds; generous for a loaded machine
# A sanitized build starting Qt and its accessibility bridge on a busy
# machine took longer than TIMEOUT to appear; the wait ends when it does.
START_TIMEOUT = 120.0


class ProgramEnded(Exception):
    """The program is gone: waiting longer cannot help."""


def wait_until(condition, timeout=TIMEOUT, what="condition"):
    """Polls condition() until it returns something true; returns that."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = condition()
        except ProgramEnded:
            raise
        except Exception:  # the tree may be changing under us
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


class NullModem:
    """Two pseudo-terminals joined as a null-modem cable: what the program
    writes to one port arrives at the other. Their ends are linked into a
    private ports folder as COM1 and COM2, which the program lists first."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="kestrix-atspi-")
        self.config_home = os.path.join(self.root, "config")
        self.state_home = os.path.join(self.root, "state")
        ports = os.path.join(self.config_home, "kestrix", "ports")
        os.makedirs(ports)
        self._masters = []
        for number in (1, 2):
            master, slave = os.openpty()
            tty.setraw(slave)
            os.symlink(os.ttyname(slave), os.path.join(ports, "COM%d" % number))
            os.close(slave)
            self._masters.append(master)
        self.relayed = [0, 0]  # bytes carried from COM1 to COM2, and back
        self._stop = False
        self._relay = threading.Thread(target=self._run, daemon=True)
        self._relay.start()

    def _run(self):
        while not self._stop:
            ready, _, _ = select.select(self._masters, [], [], 0.05)
            for master in ready:
                try:
                    data = os.read(master, 4096)
                except OSError:
                    # Nobody has this port open: a master reads as ready
                    # until someone does, so wait instead of spinning.
                    time.sleep(0.02)
                    continue
                index = self._masters.index(master)
                other = self._masters[1 - index]
                self.relayed[index] += len(data)
                while data:
                    data = data[os.write(other, data):]

    def describe(self):
        return "cable relayed %d bytes COM1->COM2, %d back, relay %s" % (
            self.relayed[0], self.relayed[1], "running" if self._relay.is_alive() else "DEAD")

    def close(self):
        self._stop = True
        self._relay.join()
        for master in self._masters:
            os.close(master)
        shutil.rmtree(self.root, ignore_errors=True)


class Kestrix:
    """One running program and its accessibility tree."""

    def __init__(self, program, cable):
        self.cable = cable
        env = dict(os.environ)
        env.update(
            QT_QPA_PLATFORM="xcb",
            QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
            QT_ACCESSIBILITY="1",
            XDG_CONFIG_HOME=cable.config_home,
            XDG_STATE_HOME=cable.state_home,
            # The language as a desktop in it asks for it.
            LANG=LOCALE,
            LANGUAGE="",
            LC_ALL="",
            LC_MESSAGES="",
        )
        # What gets the keyboard focus, newest last: a popup menu is not in
        # the application's tree, a reader meets its items as they get the
        # focus.
        self.focus_events = []
        self._focus_listener = lambda event: event.detail1 and self.focus_events.append(event.source)
        pyatspi.Registry.registerEventListener(self._focus_listener, "object:state-changed:focused")
        self.process = subprocess.Popen([program], env=env)
        self.app = wait_until(self._find_application, START_TIMEOUT, what="the program in the accessibility tree")
        self.window = wait_until(lambda: self.find("Duvrel   * Norblen"), what="the main window")

    def _find_application(self):
        if self.process.poll() is not None:
            raise ProgramEnded("the program ended at start with status %d" % self.process.returncode)
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    # --- Finding controls.

    def all(self, root=None):
        """Every accessible under root (the application by default)."""
        found, pending = [], [root or self.app]
        while pending:
            node = pending.pop()
            found.append(node)
            pending.extend(child for child in node if child is not None)
        return found

    def find(self, name, role=None, within=None):
        """The one accessible with this name (and role name); None if none."""
        for node in self.all(within):
            if node.name == name and (role is None or node.getRoleName() == role):
                return node
        return None

    def get(self, name, role=None, within=None):
        """Like find, but waits for it and fails when it never appears."""
        return wait_until(lambda: self.find(name, role, within), what="%r (%s)" % (name, role))

    def panel(self, device):
        """The group of device 1 or 2."""
        return self.get(T("设备%d" % device), "panel")

    def button(self, device, caption):
        return self.get(caption, "push button", self.panel(device))

    def check_box(self, device, caption):
        return self.get(caption, "check box", self.panel(device))

    # --- Acting.

    @staticmethod
    def press(node):
        """Runs the control's first action: a press, a toggle."""
        action = node.queryAction()
        assert action.nActions > 0, "%s has no action" % node.name
        action.doAction(0)

    @staticmethod
    def grab_focus(node):
        """Moves the keyboard focus to the control, as a reader's focus
        command does."""
        node.queryComponent().grabFocus()

    def focus_window(self):
        """Gives the main window the keyboard, as a click on it would."""
        screen, window = self.x_window()
        window.set_input_focus(X.RevertToParent, X.CurrentTime)
        screen.sync()

    def keys(self, *names):
        """Presses the named keys together on the keyboard (X11 XTEST), as
        a person does, in the window that has the input focus, then lets
        them go: keys("Shift_L", "Tab")."""
        screen, _ = self.x_window()
        codes = [screen.keysym_to_keycode(XK.string_to_keysym(name)) for name in names]
        for code in codes:
            xtest.fake_input(screen, X.KeyPress, code)
        for code in reversed(codes):
            xtest.fake_input(screen, X.KeyRelease, code)
        screen.sync()

    @staticmethod
    def set_text(node, text):
        """Replaces an editable control's text, as typing would."""
        node.queryEditableText().setTextContents(text)

    def focused_node(self, condition, what):
        """Waits, taking in the accessibility events meanwhile, until a
        control that got the focus meets condition; returns the newest."""
        context = GLib.MainContext.default()

        def newest():
            while context.iteration(False):
                pass
            return next((node for node in reversed(self.focus_events) if condition(node)), None)

        return wait_until(newest, what=what)

    # --- Reading.

    @staticmethod
    def text(node):
        return node.queryText().getText(0, -1)

    def combo_text(self, name):
        """What an editable combo box shows in its edit field."""
        return self.text(self.get("", "text", self.get(name, "combo box")))

    @staticmethod
    def labels_of(node):
        """The names of the labels that label the control (its label
        relation), leaving out its group: what a reader speaks before it."""
        names = []
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                for index in range(relation.getNTargets()):
                    target = relation.getTarget(index)
                    if target.getRoleName() == "label":
                        names.append(target.name)
        return names

    @staticmethod
    def focused(node):
        return node.getState().contains(pyatspi.STATE_FOCUSED)

    @staticmethod
    def checked(node):
        return node.getState().contains(pyatspi.STATE_CHECKED)

    def wait_for_text(self, node, expected):
        """Waits until the control shows exactly expected; returns the last
        text seen in the failure message otherwise."""
        try:
            return wait_until(lambda: self.text(node) == expected, what="text %r" % expected)
        except AssertionError:
            counters = [n.name for n in self.all() if n.getRoleName() == "label" and T("计数") in n.name]
            raise AssertionError("expected %r, shows %r; counters %r; %s" %
                                 (expected, self.text(node), counters, self.cable.describe()))

    def status_panel(self, spoken_prefix):
        """The status panel whose spoken name starts with the prefix
        ("设备1 计数"); its name carries what it shows."""
        return wait_until(
            lambda: next((n for n in self.all() if n.getRoleName() == "label" and n.name.startswith(spoken_prefix)),
                         None),
            what="status panel " + spoken_prefix)

    # --- The window as the window manager sees it.

    def x_window(self):
        """The main window's X11 window, found by its process."""
        screen = display.Display()
        pid_atom = screen.intern_atom("_NET_WM_PID")

        def search():
            for window in screen.screen().root.query_tree().children:
                pid = window.get_full_property(pid_atom, Xatom.CARDINAL)
                if pid and pid.value[0] == self.process.pid and window.get_attributes().map_state == X.IsViewable:
                    if window.get_wm_name():
                        return window
            return None

        return screen, wait_until(search, what="the X11 window")

    def title_bar_texts(self):
        """WM_NAME and _NET_WM_NAME, what a title bar shows."""
        screen, window = self.x_window()
        net_name = window.get_full_property(screen.intern_atom("_NET_WM_NAME"), screen.intern_atom("UTF8_STRING"))
        return window.get_wm_name(), net_name.value.decode("utf-8") if net_name else None

    def request_close(self):
        """Asks the window to close, as the title bar's close button does."""
        screen, window = self.x_window()
        protocols = screen.intern_atom("WM_PROTOCOLS")
        delete = screen.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event)
        screen.flush()

    def dialog(self, caption):
        """A message box by its caption (a reader calls it an alert)."""
        return self.get(caption, "alert")

    def exit_code(self, timeout=TIMEOUT):
        return self.process.wait(timeout)

    def stop(self):
        """Ends the program as a session's end would (SIGTERM, so that it
        removes its lock files); kills it only if that does not work."""
        pyatspi.Registry.deregisterEventListener(self._focus_listener, "object:state-changed:focused")
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
