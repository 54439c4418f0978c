// The window in each language: every text of the window and its menus
// English in English and as written in Chinese, each fitting its control;
// Qt's own edit items and box buttons in the same language; separators
// without text; the language menu and what it remembers.
#include <kestrix/platform_testing.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "CannotOpenText.h"
#include "Checksums.h"
#include "DecodedRowText.h"
#include "MainWindowTest.h"
#include "NetworkPortWindow.h"
#include "OpenFailureCause.h"
#include "PanelNetworkPorts.h"
#include "PanelQuickSends.h"
#include "PanelSessionLog.h"
#include "QuickSendWindow.h"
#include "SessionLogWindow.h"
#include "control_data.h"
#include "menu_data.h"

namespace {

bool HasChinese(const std::string& text) {
  const QString q = QString::fromStdString(text);
  return std::any_of(q.begin(), q.end(), [](QChar c) { return c.unicode() >= 0x2E80 && c.unicode() <= 0x9FFF; });
}

// Every text the window's controls, status panels and menu items show,
// speak or hint, but for what the machine or the moment gives (ports, time).
std::set<std::string> WindowTexts(TForm1* form) {
  std::set<std::string> texts;
  auto add = [&](const QString& text) {
    if (!text.isEmpty()) texts.insert(text.toStdString());
  };
  for (QWidget* widget : ControlAccess::Widget(form)->findChildren<QWidget*>()) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text());
    if (auto* label = qobject_cast<QLabel*>(widget)) add(label->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) add(group->title());
    if (auto* box = qobject_cast<QComboBox*>(widget); box && !box->currentText().startsWith("COM"))
      for (int i = 0; i < box->count(); ++i) add(box->itemText(i));
    add(widget->accessibleName());
  }
  for (int i = 1; i < form->StatusBar1->Panels->Count; ++i) {
    TStatusPanel* panel = form->StatusBar1->Panels->Items[i];
    for (const String& text : {panel->Text.Get(), panel->AccessibleName.Get(), panel->Hint.Get()})
      add(QString::fromStdString(text.Utf8()));
  }
  for (int i = 0; i < form->ComponentCount; ++i)
    if (auto* control = dynamic_cast<TControl*>(form->Components.Get(i)))
      add(QString::fromStdString(control->Hint.Get().Utf8()));
    else if (auto* item = dynamic_cast<TMenuItem*>(form->Components.Get(i))) {
      if (item->Caption.Get() != String("-")) add(QString::fromStdString(item->Caption.Get().Utf8()));
      add(QString::fromStdString(item->Hint.Get().Utf8()));
    }
  return texts;
}

class WindowLanguage : public MainWindowTest {
 protected:
  void TearDown() override {
    MainWindowTest::TearDown();
    UseLanguage(kSourceLanguage);
  }
  TForm1* CreateWindowIn(const char* language) {
    EXPECT_EQ(UseLanguage(language), String(language));
    return CreateWindow();
  }
};

TEST_F(WindowLanguage, EnglishLeavesNoTextOfTheWindowOrItsMenusInChinese) {
  CreateWindowIn("en");
  const std::set<std::string> texts = WindowTexts(form);
  ASSERT_GT(texts.size(), 60u);
  for (const std::string& text : texts)
    if (text != "中文") {
      EXPECT_FALSE(HasChinese(text)) << text;
    }
  EXPECT_TRUE(texts.count("Open") && texts.count("Device 1 receive area") && texts.count("Language"));
}

// The window's Chinese texts as they were before there were catalogs.
const std::set<std::string> kChineseTexts = {"16进制",
                                             "N (无)",
                                             "O (奇)",
                                             "E (偶)",
                                             "M (标记)",
                                             "S (空格)",
                                             "串  口：",
                                             "波特率：",
                                             "校验位：",
                                             "数据位：",
                                             "停止位：",
                                             "发送",
                                             "打开",
                                             "清空",
                                             "清空接收区",
                                             "自动",
                                             "自动发送周期为1秒",
                                             "以16进制发送和接收",
                                             "设备1",
                                             "设备2",
                                             "设备1 接收区",
                                             "设备1 发送区",
                                             "设备1 串口",
                                             "设备1 波特率",
                                             "设备1 校验位",
                                             "设备1 数据位",
                                             "设备1 停止位",
                                             "设备2 接收区",
                                             "设备2 发送区",
                                             "设备2 串口",
                                             "设备2 波特率",
                                             "设备2 校验位",
                                             "设备2 数据位",
                                             "设备2 停止位",
                                             "设备1 计数",
                                             "设备2 计数",
                                             "Kestrix · 双串口调试",
                                             "回车发送；↑ ↓ 取出发送过的行",
                                             "打开或关闭串口",
                                             "时间戳",
                                             "行尾",
                                             "无",
                                             "周期 100毫秒",
                                             "周期 200毫秒",
                                             "周期 500毫秒",
                                             "周期 1秒",
                                             "周期 2秒",
                                             "周期 5秒",
                                             "周期 10秒",
                                             "周期 30秒",
                                             "周期 60秒",
                                             "其他周期…",
                                             "打开/关闭串口",
                                             "复位脉冲（DTR 和 RTS 低 100 ms）",
                                             "保存接收数据到文件…",
                                             "保存显示内容…",
                                             "发送文件",
                                             "原始…",
                                             "语言",
                                             "中文",
                                             "自动"};

TEST_F(WindowLanguage, ChineseShowsTheTextsAsWritten) {
  CreateWindowIn("zh_CN");
  std::set<std::string> chinese;
  for (const std::string& text : WindowTexts(form))
    if (HasChinese(text)) chinese.insert(text);
  // Features added later bring texts of their own; these must all be there.
  for (const std::string& text : kChineseTexts) EXPECT_TRUE(chinese.count(text)) << text;
}

TEST_F(WindowLanguage, TheClockWritesDatesAsTheWindowsLanguageDoes) {
  SYSTEMTIME moment{};
  moment.wYear = 2026;
  moment.wMonth = 12;
  moment.wDay = 9;
  moment.wHour = 18;
  moment.wMinute = 59;
  moment.wSecond = 27;
  SetLocalClockForTesting(&moment);
  const auto clock = [&] {
    Tick(10);  // the clock is written every tenth tick
    return form->StatusBar1->Panels->Items[0]->Text.Get().Utf8();
  };
  CreateWindowIn("zh_CN");
  const std::string chinese = clock();
  delete form;
  form = nullptr;
  CreateWindowIn("en");
  const std::string english = clock();
  SetLocalClockForTesting(nullptr);
  // Chinese dates under any locale but another Chinese one (whose own
  // format is then used); the English window as the locale says.
  const QLocale system = QLocale::system();
  if (system.language() != QLocale::Chinese) {
    EXPECT_EQ(chinese.substr(0, 16), "2026/12/9 18:59:") << chinese;
  }
  const std::string date = system.toString(QDate(2026, 12, 9), QLocale::ShortFormat).toStdString();
  EXPECT_EQ(english.rfind(date + " ", 0), 0u) << english << " / " << date;
}

TEST_F(WindowLanguage, AutomaticFollowsTheEnvironment) {
  const char* saved = std::getenv("LANG");
  const std::string before = saved ? saved : "";
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(name);
  setenv("LANG", "en_GB.UTF-8", 1);
  EXPECT_EQ(UseLanguage(""), String("en"));
  EXPECT_EQ(Tr("PortPanel", "打开"), String("Open"));
  setenv("LANG", "zh_CN.UTF-8", 1);
  EXPECT_EQ(UseLanguage(""), String("zh_CN"));
  EXPECT_EQ(Tr("PortPanel", "打开"), String("打开"));
  setenv("LANG", "de_DE.UTF-8", 1);  // no catalog: the texts as written
  EXPECT_EQ(UseLanguage(""), String("zh_CN"));
  setenv("LANG", "C", 1);
  EXPECT_EQ(UseLanguage("en"), String("en"));  // a choice goes before the environment
  EXPECT_EQ(UseLanguage("xx"), String("zh_CN"));
  if (saved)
    setenv("LANG", before.c_str(), 1);
  else
    unsetenv("LANG");
}

// The texts of Qt's edit menu of a text control and of a message box's
// buttons, as they show now.
QStringList EditMenuTexts(QWidget* editor) {
  std::unique_ptr<QMenu> menu(qobject_cast<QPlainTextEdit*>(editor)
                                  ? qobject_cast<QPlainTextEdit*>(editor)->createStandardContextMenu()
                                  : qobject_cast<QLineEdit*>(editor)->createStandardContextMenu());
  QStringList texts;
  for (QAction* action : menu->actions())
    if (!action->isSeparator()) texts << action->text().section('\t', 0, 0);
  return texts;
}

QStringList BoxButtonTexts() {
  AnswerDialogsForTesting(false);
  QStringList texts;
  QTimer::singleShot(0, [&texts] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* button : box->buttons()) texts << button->text();
    box->reject();
  });
  Application->MessageBox("?", "?", MB_OKCANCEL);
  AnswerDialogsForTesting(true);
  texts.sort();
  return texts;
}

TEST_F(WindowLanguage, QtsOwnEditItemsAndBoxButtonsSpeakTheWindowsLanguage) {
  CreateWindowIn("zh_CN");
  for (TControl* control : {static_cast<TControl*>(form->Memo1), static_cast<TControl*>(form->Edit1)}) {
    const QStringList texts = EditMenuTexts(ControlAccess::Widget(control));
    EXPECT_TRUE(texts.contains("复制(&C)") && texts.contains("全选")) << texts.join("|").toStdString();
  }
  EXPECT_EQ(BoxButtonTexts(), (QStringList{"取消", "确定"}));

  EXPECT_EQ(UseLanguage("en"), String("en"));
  const QStringList english = EditMenuTexts(ControlAccess::Widget(form->Memo1));
  EXPECT_TRUE(english.contains("&Copy") && english.contains("Select All")) << english.join("|").toStdString();
  EXPECT_EQ(BoxButtonTexts(), (QStringList{"Cancel", "OK"}));
}

TEST_F(WindowLanguage, SeparatorsHaveNoText) {
  CreateWindowIn("en");
  int separators = 0;
  for (int i = 0; i < form->ComponentCount; ++i) {
    auto* item = dynamic_cast<TMenuItem*>(form->Components.Get(i));
    if (!item) continue;
    const QAction* action = MenuAccess::Data(item).action.get();
    EXPECT_NE(action->text(), "-");
    if (item->Caption.Get() != String("-")) continue;
    ++separators;
    EXPECT_TRUE(action->isSeparator());
    EXPECT_TRUE(action->text().isEmpty());
  }
  EXPECT_GT(separators, 0);
}

TEST_F(WindowLanguage, TheMenusChoiceIsRememberedForTheNextStartAndSaysSo) {
  setenv("LANGUAGE", "", 1);
  setenv("LC_ALL", "C", 1);  // the desktop asks for the texts as written
  CreateWindowIn("zh_CN");
  EXPECT_TRUE(FeatureOf<PanelLanguage>(0).Items[0]->Checked);  // automatic
  FeatureOf<PanelLanguage>(0).Items[2]->Click();               // English
  EXPECT_TRUE(FeatureOf<PanelLanguage>(0).Items[2]->Checked && FeatureOf<PanelLanguage>(1).Items[2]->Checked);
  EXPECT_FALSE(FeatureOf<PanelLanguage>(1).Items[0]->Checked);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("新的语言在下次启动本程序时生效。"));
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));  // at the next start
  EXPECT_EQ(PanelLanguage::Remembered(), String("en"));

  delete form;
  CreateWindowIn(PanelLanguage::Remembered().c_str());
  EXPECT_EQ(form->Button1->Caption.Get(), String("Open"));
  EXPECT_TRUE(FeatureOf<PanelLanguage>(1).Items[2]->Checked);
  // Back to the desktop's choice, which is not the language in use: said,
  // now in English.
  ClearShownDialogsForTesting();
  FeatureOf<PanelLanguage>(1).Items[0]->Click();
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("The new language takes effect the next time the program starts."));
  EXPECT_EQ(PanelLanguage::Remembered(), String(""));
  // English again: the language in use, nothing to say.
  FeatureOf<PanelLanguage>(1).Items[2]->Click();
  EXPECT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(PanelLanguage::Remembered(), String("en"));
  unsetenv("LC_ALL");
}

TEST_F(WindowLanguage, AParityRememberedInAnotherLanguageIsTakenByItsLetter) {
  const std::string file = SettingsFile::FileName().Utf8();
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::ofstream(file) << "[Device1]\nParity=O (奇)\n[Device2]\nParity=X (no such)\n";
  CreateWindowIn("en");
  EXPECT_EQ(form->ComboBox5->Text.Get(), String("O (odd)"));
  EXPECT_EQ(form->ComboBox8->Text.Get(), String("N (none)"));
}

TEST_F(WindowLanguage, AMessageIsShownInTheWindowsLanguageAndLoggedAsWritten) {
  ASSERT_EQ(UseLanguage("en"), String("en"));
  SERIAL_OPEN_REPORT report{};
  std::snprintf(report.szDevice, sizeof report.szDevice, "/dev/pts/3");
  std::snprintf(report.szHolderProgram, sizeof report.szHolderProgram, "bash");
  report.dwHolderProcessId = 77;
  const TrMessage cause = OpenFailureCause(ERROR_DEVICE_IN_USE, report);
  EXPECT_EQ(cause.Shown(), String("/dev/pts/3 is the session terminal of bash (process 77), not a serial port."));
  EXPECT_EQ(cause.Logged(), String("/dev/pts/3 是 bash（进程 77）会话的终端，不是串口。"));
  const TrMessage refused = RefusedSettingsCause({"115,200", "无", "9", "8"}, cxComm::kSettingsTextRefused);
  EXPECT_EQ(refused.Shown(), String("Line settings refused: baud rate 115,200, parity 无, data bits 9, stop bits 8"));
  EXPECT_EQ(refused.Logged(), String("线路设置被拒绝：波特率 115,200，校验位 无，数据位 9，停止位 8"));
  EXPECT_EQ(CannotOpenText("COM3", refused), "Cannot open COM3\n" + refused.Shown());
}

TEST_F(WindowLanguage, TheLinkMonitorAndItsDecodedFramesSpeakEnglish) {
  CreateWindowIn("en");
  FeatureOf<PanelLinkMonitor>(0).Monitor.Show();
  std::set<std::string> texts;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == ControlAccess::Widget(form) || !window->isVisible()) continue;
    texts.insert(window->windowTitle().toStdString());
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      // Every control the user reaches is named for the accessibility tree.
      if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
          (qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parentWidget()))) {
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty())
            << widget->metaObject()->className();
      }
      for (const QString& text : {widget->accessibleName(), widget->toolTip()}) texts.insert(text.toStdString());
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts.insert(button->text().toStdString());
      if (auto* label = qobject_cast<QLabel*>(widget)) texts.insert(label->text().toStdString());
      if (auto* box = qobject_cast<QComboBox*>(widget))
        for (int i = 0; i < box->count(); ++i) texts.insert(box->itemText(i).toStdString());
    }
  }
  EXPECT_TRUE(texts.count("Link monitor")) << "the monitor's window is among those read";
  for (const std::string& text : texts) EXPECT_FALSE(HasChinese(text)) << text;

  // Frames that bring out every kind of phrase the decoder has.
  const auto frame = [](int port, std::initializer_list<int> body, bool crc = true) {
    std::string bytes;
    for (int value : body) bytes += static_cast<char>(value);
    return LinkFrame{0, port, false, "COM3", 1, 1, crc ? WithChecksum(Checksum::Modbus, bytes) : bytes};
  };
  const LinkFrame frames[] = {
      frame(0, {1, 3, 0, 0x6B, 0, 2}),
      frame(1, {1, 3, 4, 2, 0x2B, 0, 0x64}),
      frame(0, {1, 1, 0, 0x13, 0, 10}),
      frame(1, {1, 1, 2, 0xCD, 1}),
      frame(0, {1, 2, 0, 0xC4, 0, 0x16}),
      frame(1, {1, 2, 1, 0x35}),
      frame(0, {1, 4, 0, 8, 0, 1}),
      frame(1, {1, 4, 2, 0, 10}),
      frame(0, {1, 5, 0, 0xAC, 0xFF, 0}),
      frame(1, {1, 5, 0, 0xAC, 0xFF, 0}),
      frame(0, {1, 5, 0, 0xAC, 0, 0}),
      frame(1, {1, 5, 0, 0xAC, 0, 0}),
      frame(0, {1, 5, 0, 0xAC, 0x12, 0x34}),
      frame(1, {1, 5, 0, 0xAC, 0x12, 0x34}),
      frame(0, {1, 6, 0, 1, 0, 3}),
      frame(1, {1, 6, 0, 1, 0, 3}),
      frame(0, {1, 15, 0, 0x13, 0, 10, 2, 0xCD, 1}),
      frame(1, {1, 15, 0, 0x13, 0, 10}),
      frame(0, {1, 16, 0, 1, 0, 2, 4, 0, 10, 1, 2}),
      frame(1, {1, 16, 0, 1, 0, 2}),
      frame(1, {1, 0x83, 2}),
      frame(1, {1, 3, 4, 0, 10}),
      frame(1, {1, 3}, false),
      frame(0, {1, 3, 0, 0, 0, 2, 0, 0}, false),
      frame(1, {1, 0x42, 0}),
  };
  ModbusDecoder decoder;
  for (const LinkFrame& each : frames) {
    const std::string shown = DecodedRowText(decoder.Decode(each)).Utf8();
    EXPECT_FALSE(HasChinese(shown)) << shown;
  }
  for (BYTE code = 0; code < 12; ++code)
    EXPECT_FALSE(HasChinese(TrText("Modbus", ModbusExceptionText(code)).Utf8())) << int{code};
  ModbusDecoder again;
  (void)again.Decode(frames[0]);
  EXPECT_EQ(DecodedRowText(again.Decode(frames[1])).Utf8(),
            "        Slave 1  function 3  Read holding registers  Response: 4 bytes, registers 107=555 108=100  "
            "CRC good  response time 0.000 ms");
}

// The room a control gives its text, and the text, as Qt draws them: a
// button's and a check box's contents, a label's, a combo box's edit field
// (its items each in turn) and a group box's caption.
struct TextRoom {
  QString Text;
  int Room;
  int Width;
};

std::vector<TextRoom> TextRooms(QWidget* widget) {
  const QFontMetrics metrics(widget->font());
  std::vector<TextRoom> rooms;
  auto add = [&](const QString& text, int room) {
    // The glyphs' own bounds, where they pass the advance (an italic, an
    // overhanging last letter).
    if (!text.isEmpty())
      rooms.push_back({text, room, std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1)});
  };
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    add(button->text(), button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width());
  } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    add(box->text(), box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width());
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    add(label->text(), label->contentsRect().width());
  } else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit()) {
    // QLineEdit keeps 2 pixels free on each side of its text.
    const int room = combo->lineEdit()->contentsRect().width() - 4;
    for (int i = 0; i < combo->count(); ++i) add(combo->itemText(i), room);
  } else if (combo) {
    // A list's choice is drawn in the edit field less a pixel each side.
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const int room =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo).width() - 2;
    for (int i = 0; i < combo->count(); ++i) add(combo->itemText(i), room);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    add(group->title(), group->width());
  }
  return rooms;
}

class TextsFit : public WindowLanguage, public testing::WithParamInterface<const char*> {};

// Checks every text in the window; returns how many there were.
int ExpectTextsFit(TForm* Window) {
  int checked = 0;
  for (QWidget* widget : ControlAccess::Widget(Window)->findChildren<QWidget*>())
    for (const TextRoom& room : TextRooms(widget)) {
      ++checked;
      EXPECT_LE(room.Width, room.Room) << room.Text.toStdString() << " in " << widget->metaObject()->className() << " ("
                                       << widget->font().family().toStdString() << ") of "
                                       << Window->Caption.Get().Utf8();
    }
  return checked;
}

TEST_P(TextsFit, EveryTextFitsTheWidthOfItsControl) {
  CreateWindowIn(GetParam());
  form->Show();
  ProcessMessagesFor(50);
  EXPECT_GT(ExpectTextsFit(form), 40);
  // The status bar's panels, with the texts they show at times: the
  // banner, and a lost port (COM10) waited for.
  const QFontMetrics metrics(ControlAccess::Widget(form->StatusBar1)->font());
  const struct {
    int Panel;
    String Text;
  } panels[] = {{3, form->StatusBar1->Panels->Items[3]->Text},
                {1, Fill(Tr("StatusBar", "COM%1: 已断开，等待重新连接…"), {"10"})}};
  for (const auto& [panel, text] : panels)
    EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(text.Utf8())) + 8,
              form->StatusBar1->Panels->Items[panel]->Width.Get())
        << text.Utf8();
}

// The windows the panels' menus open.
TEST_P(TextsFit, EveryTextOfThePanelsWindowsFits) {
  CreateWindowIn(GetParam());
  PanelNetworkPorts& networkPorts = FeatureOf<PanelNetworkPorts>(0);
  networkPorts.ShowWindow();
  PanelSessionLog& sessionLog = FeatureOf<PanelSessionLog>(0);
  sessionLog.Window().Show(sessionLog.Choices(), false);
  PanelQuickSends& quickSends = FeatureOf<PanelQuickSends>(0);
  quickSends.ShowWindow();
  ProcessMessagesFor(50);
  for (TForm* window : {networkPorts.Window()->Form, sessionLog.Window().Form, quickSends.Window()->Form})
    EXPECT_GT(ExpectTextsFit(window), 4) << window->Caption.Get().Utf8();
}

// Dark pixels: text drawn on a light ground.
int Ink(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
  return dark;
}

// A label shows every pixel of its caption's glyphs, not only room for its
// advance: drawn whole in the same font on a ground of its own, the caption
// has no more ink than the label shows (a descender cut off, "Paritv:" for
// "Parity:", has less).
TEST_P(TextsFit, EveryLabelShowsItsGlyphsWhole) {
  CreateWindowIn(GetParam());
  form->Show();
  ProcessMessagesFor(50);
  int checked = 0;
  for (QLabel* label : ControlAccess::Widget(form)->findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty()) continue;
    const QImage shown = label->grab().toImage();
    const QFontMetrics metrics(label->font());
    QImage whole(label->width() + 40, metrics.height() + 40, QImage::Format_RGB32);
    whole.fill(label->palette().color(label->backgroundRole()));
    QPainter painter(&whole);
    painter.setFont(label->font());
    painter.setPen(label->palette().color(label->foregroundRole()));
    // Placed across as the label places it (a centred one at the same
    // fraction of a pixel), with room above and below.
    const QRect across(20 + label->contentsRect().left(), 20, label->contentsRect().width(), metrics.height());
    painter.drawText(across, static_cast<int>(label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop,
                     label->text());
    painter.end();
    ++checked;
    EXPECT_GE(Ink(shown), Ink(whole)) << label->text().toStdString() << " in " << label->height() << " pixels";
  }
  EXPECT_GE(checked, 10);
}

// The source language and every catalog built into the program (the
// build lists them, separated by commas). Asked once per test of the suite:
// the names are made once, so that the pointers handed out stay good.
std::vector<const char*> Languages() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all = {kSourceLanguage};
    std::stringstream catalogs(KESTRIX_CATALOGS);
    for (std::string name; std::getline(catalogs, name, ',');) all.push_back(name);
    return all;
  }();
  std::vector<const char*> languages;
  for (const std::string& name : names) languages.push_back(name.c_str());
  return languages;
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, TextsFit, testing::ValuesIn(Languages()));

// A window the user may resize keeps every control inside its panel and
// shown, at the smallest size it allows and as large as a maximised window
// on a 1920×1080 screen, or as narrow as it may be and tall.
class ResizedControls : public WindowLanguage, public testing::WithParamInterface<const char*> {};

TEST_P(ResizedControls, StayInsideTheirPanelsAtTheSmallestSizeAndTheLargest) {
  CreateWindowIn(GetParam());
  form->Show();
  form->Resizing->Set(true);
  for (const auto& [width, height] : {std::pair{100, 100}, std::pair{1920, 1080}, std::pair{848, 1080}}) {
    form->ClientWidth = width;
    form->ClientHeight = height;
    ProcessMessagesFor(20);
    EXPECT_GE(form->ClientWidth.Get(), 848);
    EXPECT_GE(form->ClientHeight.Get(), 419);
    for (const std::string& problem : MisplacedControls(form))
      ADD_FAILURE() << problem << " in " << width << "x" << height;
  }
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, ResizedControls, testing::ValuesIn(Languages()));

}  // namespace
