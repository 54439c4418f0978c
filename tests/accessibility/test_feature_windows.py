"""The windows and menus the features add, as a screen reader and the
keyboard reach them: the script window opened by Ctrl+R, every control in it
named, Escape putting it away; a panel's menu opened by the menu key, its
window choices (resizable window, colours) read and chosen there. Run once in
each language (window_texts.py).
"""

import os
import unittest

import pyatspi

from kestrix_atspi import Kestrix, NullModem, wait_until
from window_texts import T

PROGRAM = os.environ["KESTRIX_PROGRAM"]


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:  # gone from the tree
        return False


class FeatureWindows(unittest.TestCase):
    def setUp(self):
        self.cable = NullModem()
        self.addCleanup(self.cable.close)
        self.kestrix = Kestrix(PROGRAM, self.cable)
        self.addCleanup(self.kestrix.stop)

    def test_ctrl_r_opens_the_script_window_every_control_is_named_and_escape_puts_it_away(self):
        k = self.kestrix
        k.focus_window()
        k.grab_focus(k.get(T("设备1 接收区")))
        k.keys("Control_L", "r")
        window = k.get(T("脚本"), "frame")
        editor = k.get(T("脚本内容"), None, window)
        wait_until(lambda: k.focused(editor), what="the editor focused")
        for name in (T("脚本的输出"), T("最近的脚本")):
            self.assertIsNotNone(k.find(name, within=window), name)
        # The status line speaks its name, then what it says.
        self.assertTrue(any(node.name.startswith(T("脚本状态")) for node in k.all(window)))
        controls = {"push button", "combo box", "text"}
        unnamed = [node.getRoleName() for node in k.all(window)
                   if node.getRoleName() in controls and not node.name
                   and node.parent is not None and node.parent.getRoleName() != "combo box"]
        self.assertEqual(unnamed, [])
        k.keys("Escape")
        wait_until(lambda: not showing(window), what="the script window put away")

    def open_panel_menu(self, device):
        """Opens a panel's menu with the menu key on its open button and
        returns the menu, as a reader meets it: through its first item."""
        k = self.kestrix
        k.focus_window()
        button = k.button(device, T("打开"))
        k.grab_focus(button)
        wait_until(lambda: k.focused(button), what="device %d's open button focused" % device)
        k.focus_events.clear()
        k.keys("Menu")
        k.keys("Down")
        return k.focused_node(lambda node: node.getRoleName() == "menu item", "an item of the menu").parent

    def test_the_menu_key_on_a_panel_reads_its_window_choices_and_makes_the_window_resizable(self):
        k = self.kestrix
        menu = self.open_panel_menu(1)
        resizable = k.find(T("可调整窗口大小"), within=menu)
        self.assertIsNotNone(resizable)
        self.assertFalse(k.checked(resizable))
        k.press(resizable)
        menu = self.open_panel_menu(2)
        wait_until(lambda: k.checked(k.find(T("可调整窗口大小"), within=menu)), what="the window resizable")

    def test_the_colours_submenu_is_read_with_its_three_schemes_and_the_dark_one_chosen(self):
        k = self.kestrix
        colours = k.find(T("配色"), within=self.open_panel_menu(1))
        self.assertIsNotNone(colours)
        # The submenu's items, as a reader lists them when it opens.
        items = [node.name for node in reversed(k.all(colours))
                 if node.getRoleName() == "menu item" and node.name != T("配色")]
        self.assertEqual(items, [T("经典"), T("跟随桌面"), T("深色")])
        self.assertTrue(k.checked(k.find(T("经典"), within=colours)))
        k.press(k.find(T("深色"), within=colours))
        colours = k.find(T("配色"), within=self.open_panel_menu(2))
        wait_until(lambda: k.checked(k.find(T("深色"), within=colours)), what="the dark colours chosen")
        self.assertFalse(k.checked(k.find(T("经典"), within=colours)))


if __name__ == "__main__":
    unittest.main(verbosity=2)
