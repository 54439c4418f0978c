"""The window end to end through the accessibility tree: both panels open on
a null-modem cable, text and hex sent and read back in the other panel's
receive area, the counters, clearing, the title bar, the confirmed close, and
the keyboard's way from a receive area to its send line. Run once in each
language (window_texts.py).
"""

import os
import sys
import unittest

from kestrix_atspi import Kestrix, NullModem, wait_until
from window_texts import T

PROGRAM = os.environ["KESTRIX_PROGRAM"]


class EndToEnd(unittest.TestCase):
    def setUp(self):
        self.cable = NullModem()
        self.addCleanup(self.cable.close)
        self.kestrix = Kestrix(PROGRAM, self.cable)
        self.addCleanup(self.kestrix.stop)

    def open_both_panels(self):
        k = self.kestrix
        self.assertEqual(k.combo_text(T("设备1 串口")), "COM1")
        self.assertEqual(k.combo_text(T("设备2 串口")), "COM2")
        self.press_on_both_panels(T("打开"), then=T("关闭"))

    def press_on_both_panels(self, caption, then):
        """Presses the button of that caption on both panels, then waits until
        each panel's button reads `then`."""
        k = self.kestrix
        for panel in (1, 2):
            k.press(k.button(panel, caption))
        for panel in (1, 2):
            k.button(panel, then)

    def test_two_panels_talk_across_a_null_modem_in_text_and_in_hex(self):
        k = self.kestrix
        self.open_both_panels()
        memo1, memo2 = k.get(T("设备1 接收区")), k.get(T("设备2 接收区"))

        # Device 1 sends text; device 2 shows it.
        k.set_text(k.get(T("设备1 发送区")), "hello 你好")
        k.press(k.button(1, T("发送")))
        k.wait_for_text(memo2, "hello 你好")

        # Device 2 sends hex; device 1 shows the text the bytes spell (the
        # tree reads a line break as one "\n").
        hex2 = k.check_box(2, T("16进制"))
        k.press(hex2)
        wait_until(lambda: k.checked(hex2), what="device 2's hex switch")
        k.set_text(k.get(T("设备2 发送区")), "48 69 0d 0a")
        k.press(k.button(2, T("发送")))
        k.wait_for_text(memo1, "Hi\n")

        # Device 1 switches to hex display; device 2's next line shows as pairs.
        k.press(k.check_box(1, T("16进制")))
        k.set_text(k.get(T("设备2 发送区")), "41 00 42")
        k.press(k.button(2, T("发送")))
        k.wait_for_text(memo1, "Hi\n41 00 42 ")

        # The counter panels speak what they count: "hello " and two GBK
        # characters of two bytes sent by device 1, seven bytes by device 2.
        wait_until(lambda: k.status_panel(T("设备1 计数")).name == T("设备1 计数 COM1: S:    10 R:     7"),
                   what="device 1's counters")
        wait_until(lambda: k.status_panel(T("设备2 计数")).name == T("设备2 计数 COM2: S:     7 R:    10"),
                   what="device 2's counters")

        # Clear empties device 1's receive area only.
        k.press(k.button(1, T("清空")))
        k.wait_for_text(memo1, "")
        self.assertEqual(k.text(memo2), "hello 你好")

        self.press_on_both_panels(T("关闭"), then=T("打开"))

    def test_every_control_has_a_name_a_screen_reader_speaks(self):
        k = self.kestrix
        expected = ["Kestrix", T("设备1"), T("设备2")]
        for device in (T("设备1"), T("设备2")):
            expected += [device + " " + T(role) for role in ("接收区", "发送区", "串口", "波特率", "校验位", "数据位", "停止位")]
        for name in expected:
            self.assertIsNotNone(k.find(name), name)
        controls = {"push button", "check box", "combo box", "text", "label", "image", "panel"}
        unnamed = [node.getRoleName() for node in k.all(k.window)
                   if node.getRoleName() in controls and not node.name
                   and node.parent is not None and node.parent.getRoleName() != "combo box"]
        self.assertEqual(unnamed, [])
        wait_until(lambda: k.status_panel(T("日期时间 ")), what="the clock panel")

        # A reader announces a box by its label, then its value: each box
        # is labelled by the label beside it, and its value is its text.
        for device in (1, 2):
            for label, role, value in ((T("串  口："), T("串口"), "COM%d" % device), (T("波特率："), T("波特率"), "9600"),
                                       (T("校验位："), T("校验位"), T("N (无)")), (T("数据位："), T("数据位"), "8"),
                                       (T("停止位："), T("停止位"), "1")):
                box = k.get(T("设备%d" % device) + " " + role, "combo box")
                self.assertEqual(k.labels_of(box), [label])
                self.assertEqual(k.combo_text(T("设备%d" % device) + " " + role), value)
        self.assertEqual(k.get("Duvrel   * Norblen").getRoleName(), "frame")

    def test_tab_leads_from_each_receive_area_to_its_send_line_and_shift_tab_back(self):
        k = self.kestrix
        k.focus_window()
        for device in (1, 2):
            memo, edit = k.get(T("设备%d 接收区" % device)), k.get(T("设备%d 发送区" % device))
            k.grab_focus(memo)
            wait_until(lambda: k.focused(memo), what="device %d's receive area focused" % device)
            k.keys("Tab")
            wait_until(lambda: k.focused(edit), what="device %d's send line focused after Tab" % device)
            k.keys("Shift_L", "Tab")
            wait_until(lambda: k.focused(memo), what="device %d's receive area focused after Shift+Tab" % device)
            self.assertEqual(k.text(memo), "", "no tab is typed into what was received")

    def test_the_title_bar_reads_exactly_the_caption(self):
        self.assertEqual(self.kestrix.title_bar_texts(), ("Duvrel   * Norblen", "Duvrel   * Norblen"))

    def test_closing_asks_first_cancel_keeps_the_window_and_ok_ends_the_program(self):
        k = self.kestrix
        self.open_both_panels()
        k.request_close()
        box = k.dialog(T("退出程序"))
        self.assertIsNotNone(k.find(T("确定要退出吗？"), within=box))
        k.press(k.get(T("取消"), "push button", box))
        wait_until(lambda: k.find(T("退出程序"), "alert") is None, what="the box to go")
        self.assertIsNone(k.process.poll())
        k.button(1, T("关闭"))  # still open

        k.request_close()
        box = k.dialog(T("退出程序"))
        k.press(k.get(T("确定"), "push button", box))
        self.assertEqual(k.exit_code(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
