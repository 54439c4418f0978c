"""File transfers as the keyboard and a screen reader reach them: the send
line's menu opened by the menu key reads 发送文件 with each protocol,
接收文件 and 取消传输 (not available while nothing runs); choosing a protocol
opens a file dialog named for it, which Escape puts away. Run once in each
language (window_texts.py).
"""

import os
import unittest

import pyatspi

from kestrix_atspi import Kestrix, NullModem, wait_until
from window_texts import T

PROGRAM = os.environ["KESTRIX_PROGRAM"]


class FileTransferMenus(unittest.TestCase):
    def setUp(self):
        self.cable = NullModem()
        self.addCleanup(self.cable.close)
        self.kestrix = Kestrix(PROGRAM, self.cable)
        self.addCleanup(self.kestrix.stop)

    def focused_item(self, what):
        return self.kestrix.focused_node(lambda node: node.getRoleName() == "menu item", what)

    def test_the_send_lines_menu_key_reaches_each_protocol_and_its_dialog(self):
        k = self.kestrix
        k.press(k.button(1, T("打开")))
        k.button(1, T("关闭"))
        k.focus_window()
        edit = k.get(T("设备1 发送区"))
        k.grab_focus(edit)
        wait_until(lambda: k.focused(edit), what="device 1's send line focused")
        k.focus_events.clear()
        k.keys("Menu")
        k.keys("Down")
        menu = self.focused_item("an item of the menu").parent
        for name in (T("发送文件"), T("接收文件"), T("取消传输")):
            self.assertIsNotNone(k.find(name, within=menu), name)
        cancel = k.find(T("取消传输"), within=menu)
        self.assertFalse(cancel.getState().contains(pyatspi.STATE_ENABLED))

        # Down to 发送文件, into it, and through its items as a reader meets them.
        for _ in range(12):
            if self.focused_item("an item").name == T("发送文件"):
                break
            k.focus_events.clear()
            k.keys("Down")
        self.assertEqual(self.focused_item("an item").name, T("发送文件"))
        k.focus_events.clear()
        k.keys("Right")
        met = [self.focused_item("the submenu's first item").name]
        for _ in range(4):
            k.focus_events.clear()
            k.keys("Down")
            met.append(self.focused_item("the next item").name)
        self.assertEqual(met, [T("原始…"), "XMODEM…", "XMODEM-1K…", "YMODEM…", "ZMODEM…"])

        # ZMODEM…: the open dialog, named for the protocol; Escape closes it.
        k.keys("Return")
        dialog = k.get(T("用 ZMODEM 发送文件"), "dialog")
        k.keys("Escape")
        wait_until(lambda: not dialog.getState().contains(pyatspi.STATE_SHOWING), what="the dialog put away")


if __name__ == "__main__":
    unittest.main(verbosity=2)
