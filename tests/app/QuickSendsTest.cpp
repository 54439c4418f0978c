// Quick sends of a panel: sent through its port by the window's buttons,
// Alt+1 to Alt+9 and their periods, in order, counted in S:, stopped when
// the port or the window closes, imported and exported, and remembered;
// and the checksum of what the send line sends.
#include <filesystem>
#include <fstream>

#include "../support/temp_folder.h"
#include "MainWindowTest.h"
#include "QuickSendWindow.h"
#include "SavedFiles.h"

namespace {

class QuickSends : public FirstPanelOpenTest {
 protected:
  PanelQuickSends& Sends() { return FeatureOf<PanelQuickSends>(0); }
  void Add(const QuickSend& send) {
    std::string error;
    ASSERT_TRUE(Sends().Add(send, error)) << error;
  }
  QuickSendWindow& Window() {
    MenuItem(form->Edit1, "快捷发送")->Click();
    return *Sends().Window();
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempFolder folder;
};

TEST_F(QuickSends, AButtonOrAltWithItsNumberSendsItsBytesAndSCountsThem) {
  Add({"modbus", "01 03 00 00 00 0A", true, Checksum::Modbus, 0});
  Add({"hello", "hi\\r\\n", false, Checksum::None, 0});
  QuickSendWindow& window = Window();
  EXPECT_TRUE(window.Form->Visible.Get());
  EXPECT_EQ(window.Rows[0].Send->Caption.Get(), String("&1 modbus"));
  EXPECT_EQ(window.Rows[1].Send->AccessibleName.Get(), String("发送 hello"));
  EXPECT_FALSE(window.Rows[2].Send->Visible.Get());

  window.Rows[0].Send->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 8), std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8));
  EXPECT_EQ(PanelSentBytes[0], 8u);

  unsigned short key = '2';
  form->Edit1->OnKeyDown(form->Edit1, key, ssAlt);
  EXPECT_EQ(key, 0) << "taken by the quick send";
  EXPECT_EQ(ReceiveAtFarEnd(1, 4), "hi\r\n");
  key = '9';  // no ninth quick send: nothing
  form->Edit1->OnKeyDown(form->Edit1, key, ssAlt);
  key = VK_RETURN;  // the send line's own keys still work
  form->Edit1->OnKeyDown(form->Edit1, key, 0);
  EXPECT_EQ(ReceiveAtFarEnd(1, 8), "12345678");
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(PanelSentBytes[0], 20u);
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(QuickSends, PeriodicOnesGoInOrderAtTheirPeriodsUntilThePortCloses) {
  Add({"a", "A", false, Checksum::None, 200});
  Add({"b", "B", false, Checksum::None, 300});
  Add({"none", "N", false, Checksum::None, 0});
  QuickSendWindow& window = Window();
  EXPECT_FALSE(window.Rows[2].Periodic->Enabled.Get()) << "no period, nothing to start";
  EXPECT_FALSE(Sends().SetPeriodic(2, true));

  // Started in the opposite order to the list's: each goes at once.
  window.Rows[1].Periodic->Checked = true;
  window.Rows[1].Periodic->OnClick(window.Rows[1].Periodic);
  window.Rows[0].Periodic->Checked = true;
  window.Rows[0].Periodic->OnClick(window.Rows[0].Periodic);
  EXPECT_EQ(ReceiveAtFarEnd(1, 2), "BA");
  EXPECT_NE(form->StatusBar1->Panels->Items[1]->Hint.Get().Utf8().find("2 条定时发送中"), std::string::npos);
  // Ticks of 100 ms: a every 2, b every 3; on tick 6 both, a first.
  Tick(6);
  EXPECT_EQ(ReceiveAtFarEnd(1, 5), "ABAAB");
  EXPECT_TRUE(NothingArrivesAtFarEnd(1, std::chrono::milliseconds(50)));
  EXPECT_EQ(PanelSentBytes[0], 7u);

  form->Button1->Click();  // close
  Tick(6);
  EXPECT_FALSE(Sends().Periodic(0));
  EXPECT_FALSE(Sends().Periodic(1));
  EXPECT_FALSE(window.Rows[0].Periodic->Checked.Get());
  form->Button1->Click();  // open again: nothing resumes by itself
  Tick(6);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_FALSE(Sends().SetPeriodic(0, false) && Sends().Periodic(0));
}

TEST_F(QuickSends, ClosingTheWindowStopsItsPeriodicSends) {
  Add({"a", "A", false, Checksum::None, 100});
  QuickSendWindow& window = Window();
  ASSERT_TRUE(Sends().SetPeriodic(0, true));
  EXPECT_EQ(ReceiveAtFarEnd(1, 1), "A");
  Tick(2);
  EXPECT_EQ(ReceiveAtFarEnd(1, 2), "AA");
  window.CloseButton->Click();
  EXPECT_TRUE(ProcessMessagesUntil([&] { return !window.Form->Visible.Get(); }));
  EXPECT_FALSE(Sends().Periodic(0));
  Tick(3);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
}

TEST_F(QuickSends, EscapeAndCtrlWCloseTheWindowFromItsFields) {
  Add({"a", "A", false, Checksum::None, 100});
  QuickSendWindow& window = Window();
  ASSERT_TRUE(Sends().SetPeriodic(0, true));
  PressKeyForTesting(window.Rows[0].Send, VK_ESCAPE);
  EXPECT_FALSE(window.Form->Visible.Get());
  EXPECT_FALSE(Sends().Periodic(0)) << "closed as its close button closes it";
  Window();
  PressKeyForTesting(window.Rows[0].Send, 'W', true);
  EXPECT_FALSE(window.Form->Visible.Get());
}

TEST_F(QuickSends, EditingFromTheFieldsAddsSavesAndRefusesWithAReason) {
  QuickSendWindow& window = Window();
  EXPECT_TRUE(window.EmptyNote->Visible.Get());
  window.NameEdit->Text = "  ping  ";
  window.MessageEdit->Text = "AA 55";
  window.HexBox->Checked = true;
  window.ChecksumBox->ItemIndex = static_cast<int>(Checksum::Xor8);
  window.PeriodEdit->Text = "500";
  window.AddButton->Click();
  ASSERT_EQ(Sends().Sends().size(), 1u);
  EXPECT_EQ(Sends().Sends()[0], (QuickSend{"ping", "AA 55", true, Checksum::Xor8, 500}));
  EXPECT_FALSE(window.EmptyNote->Visible.Get());

  window.PeriodEdit->Text = "250";
  window.SaveButton->Click();
  window.PeriodEdit->Text = "1000";
  window.MessageEdit->Text = "zz";
  window.AddButton->Click();
  ASSERT_EQ(Dialogs().size(), 2u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("周期"), std::string::npos) << Dialogs()[0].Text.Utf8();
  EXPECT_NE(Dialogs()[1].Text.Utf8().find("十六进制"), std::string::npos) << Dialogs()[1].Text.Utf8();
  EXPECT_EQ(Sends().Sends().size(), 1u);

  window.MessageEdit->Text = "AA 55 01";
  window.SaveButton->Click();
  EXPECT_EQ(Sends().Sends()[0].Message, "AA 55 01");
  window.Rows[0].Remove->Click();
  EXPECT_TRUE(Sends().Sends().empty());
  EXPECT_FALSE(window.SaveButton->Enabled.Get()) << "what was edited is gone";
}

TEST_F(QuickSends, ExportThenImportGivesTheSameListAndBadLinesAreReported) {
  Add({"one", "01 02", true, Checksum::Crc8, 0});
  Add({"two", "line\\r\\n", false, Checksum::None, 1000});
  const std::string path = folder / "sends.txt";
  QueueFileDialogAnswerForTesting(String(path));
  Window().ExportButton->Click();
  EndSavedFiles();  // the writer has written the file
  const std::string written = ReadFile(path);
  EXPECT_NE(written.find("one\thex\tcrc8\t0\t01 02\n"), std::string::npos) << written;

  std::ofstream(path, std::ios::app) << "broken line\nthree\thex\tunknown\t0\t01\n";
  while (!Sends().Sends().empty()) Sends().Remove(0);
  ClearShownDialogsForTesting();
  QueueFileDialogAnswerForTesting(String(path));
  Sends().Window()->ImportButton->Click();
  ASSERT_EQ(Sends().Sends().size(), 2u);
  EXPECT_EQ(Sends().Sends()[0], (QuickSend{"one", "01 02", true, Checksum::Crc8, 0}));
  EXPECT_EQ(Sends().Sends()[1], (QuickSend{"two", "line\\r\\n", false, Checksum::None, 1000}));
  const std::string report = Dialogs().back().Text.Utf8();
  EXPECT_NE(report.find("导入 2 条"), std::string::npos) << report;
  EXPECT_NE(report.find("第 4 行"), std::string::npos) << report;
  EXPECT_NE(report.find("第 5 行"), std::string::npos) << report;

  String message;
  EXPECT_FALSE(Sends().Import(String(folder / "missing.txt"), message));
  EXPECT_NE(message.Utf8().find("不能导入"), std::string::npos);
  EXPECT_EQ(Sends().Sends().size(), 2u) << "a failed import loses nothing";
  std::ofstream(folder / "huge.txt") << std::string(2 * 1024 * 1024, '#');
  EXPECT_FALSE(Sends().Import(String(folder / "huge.txt"), message));
  EXPECT_NE(message.Utf8().find("太大"), std::string::npos);
}

TEST_F(QuickSends, TheListAndTheTypedChecksumAreRememberedAndTheChecksumFollowsTypedSends) {
  Add({"a", "A", false, Checksum::None, 200});
  MenuItem(form->Edit1, "校验")->Items[static_cast<int>(Checksum::Modbus)]->Click();
  form->RadioButton1->Checked = true;  // hex
  form->Edit1->Text = "01 03 00 00 00 0A";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 8), std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8));
  EXPECT_EQ(PanelSentBytes[0], 8u);
  form->Edit1->Text = "zz";  // no byte: no checksum either
  form->Button2->Click();
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));

  delete form;
  form = nullptr;
  CreateWindow();
  EXPECT_EQ(FeatureOf<PanelQuickSends>(0).Sends(), (std::vector<QuickSend>{{"a", "A", false, Checksum::None, 200}}));
  EXPECT_EQ(FeatureOf<PanelQuickSends>(0).TypedChecksum(), Checksum::Modbus);
  EXPECT_TRUE(FeatureOf<PanelQuickSends>(1).Sends().empty()) << "each panel has its own";
  EXPECT_EQ(FeatureOf<PanelQuickSends>(1).TypedChecksum(), Checksum::None);
}

}  // namespace
