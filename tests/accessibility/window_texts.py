"""The window's texts in the language the tests run in: KESTRIX_TEST_LANGUAGE
is "zh_CN" (the texts as written, the default) or "en". The program is
started with LANG set to match, so that it chooses that language as the
desktop asks."""

import os

LANGUAGE = os.environ.get("KESTRIX_TEST_LANGUAGE", "zh_CN")
LOCALE = {"zh_CN": "zh_CN.UTF-8", "en": "en_US.UTF-8"}[LANGUAGE]

ENGLISH = {
    "设备1": "Device 1",
    "设备2": "Device 2",
    "打开": "Open",
    "关闭": "Close",
    "发送": "Send",
    "清空": "Clear",
    "16进制": "Hex",
    "接收区": "receive area",
    "发送区": "send line",
    "串口": "port",
    "波特率": "baud rate",
    "校验位": "parity",
    "数据位": "data bits",
    "停止位": "stop bits",
    "日期时间": "Date and time",
    "计数": "counters",
    "串  口：": "Port:",
    "波特率：": "Baud:",
    "校验位：": "Parity:",
    "数据位：": "Data:",
    "停止位：": "Stop:",
    "N (无)": "N (none)",
    "退出程序": "Exit program",
    "确定要退出吗？": "Are you sure you want to exit?",
    "脚本": "Scripts",
    "未命名": "untitled",
    "脚本内容": "Script text",
    "脚本的输出": "The script's output",
    "最近的脚本": "Recent scripts",
    "脚本状态": "Script state",
    "可调整窗口大小": "Resizable window",
    "配色": "Colours",
    "经典": "Classic",
    "跟随桌面": "Follow the desktop",
    "深色": "Dark",
    "发送文件": "Send file",
    "接收文件": "Receive file",
    "取消传输": "Cancel transfer",
    "原始…": "Raw…",
    "用 ZMODEM 发送文件": "Send files by ZMODEM",
    # Qt's own box buttons, in the Chinese of Qt's translation.
    "确定": "OK",
    "取消": "Cancel",
}


def T(text):
    """The text as the window shows it in the tests' language; words joined
    by blanks are translated one by one ("设备1 接收区")."""
    if LANGUAGE == "zh_CN":
        return text
    return " ".join(ENGLISH.get(word, word) for word in text.split(" ")) if text not in ENGLISH else ENGLISH[text]
