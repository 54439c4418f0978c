// Keeping a panel's whole session: the log view in the memo's place, the
// limit, the counter panel's tool tip, saving and remembering.
#include <fstream>
#include <iterator>

#include "../support/temp_folder.h"
#include "MainWindowTest.h"
#include "SavedFiles.h"

namespace {

std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i < to; ++i) text += "boot line " + std::to_string(i) + "\r\n";
  return text;
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class WholeSession : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    CreateWindow();
    OpenPanel(0, 1);
  }
  // Delivers bytes in blocks as large as the port hands over.
  void DeliverAll(const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += 2048) Deliver(1, bytes.substr(at, 2048));
  }
  TLogView* Log() { return FeatureOf<PanelWholeSession>(0).View(); }
  std::string LogText() {
    form->ShowReceivedText();
    return Log()->Text().Utf8();
  }
};

TEST_F(WholeSession, OffThePanelEmptiesAt4KBAsBeforeOnItKeepsEverythingInTheMemosPlace) {
  Deliver(1, "before\r\n");
  FeatureOf<PanelWholeSession>(0).Item->Click();
  EXPECT_TRUE(FeatureOf<PanelWholeSession>(0).Item->Checked.Get());
  EXPECT_FALSE(form->Memo1->Visible.Get());
  EXPECT_TRUE(Log()->Visible.Get());
  EXPECT_EQ(Log()->Left.Get(), form->Memo1->Left.Get());
  EXPECT_EQ(Log()->Top.Get(), form->Memo1->Top.Get());
  EXPECT_EQ(Log()->Width.Get(), form->Memo1->Width.Get());
  EXPECT_EQ(Log()->Height.Get(), form->Memo1->Height.Get());
  EXPECT_EQ(Log()->PopupMenu.Get(), form->Memo1->PopupMenu.Get());
  EXPECT_EQ(Log()->AccessibleName.Get(), form->Memo1->AccessibleName.Get());
  // What the memo showed comes along; nothing is emptied past 4 KB.
  for (int i = 0; i < 500; i += 50) DeliverAll(Lines(i, i + 50));
  std::string expected = "before\n";
  for (int i = 0; i < 500; ++i) expected += "boot line " + std::to_string(i) + "\n";
  EXPECT_EQ(LogText(), expected);

  // Off: the memo is back, under the rule (more than 4 KB: emptied), and the
  // view lets go of what it kept.
  FeatureOf<PanelWholeSession>(0).Item->Click();
  EXPECT_TRUE(form->Memo1->Visible.Get());
  EXPECT_FALSE(Log()->Visible.Get());
  EXPECT_EQ(MemoText(form->Memo1), "");
  EXPECT_EQ(Log()->CharacterCount(), 0);
  DeliverAll(Lines(0, 300));
  Deliver(1, "tail\r\n");
  const std::string memo = MemoText(form->Memo1);
  EXPECT_LE(memo.size(), 4096u);
  EXPECT_EQ(memo.substr(memo.size() - 6), "tail\r\n");
  EXPECT_NE(memo.rfind("boot line 0\r\n", 0), 0u);
}

TEST_F(WholeSession, PastTheLimitTheOldestLinesGoAndTheCounterTipSaysHowMuch) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  // Switching on shows the line in the counter panel's tool tip at once.
  EXPECT_NE(
      form->StatusBar1->Panels->Items[1]->Hint.Get().Utf8().find("接收区保留 0 字节，已舍弃 0 字节（上限 64 MiB）"),
      std::string::npos);
  ASSERT_TRUE(FeatureOf<PanelWholeSession>(0).SetLimitMiB(1));
  const std::string block = Lines(0, 2000);  // about 35 KB
  for (int i = 0; i < 45; ++i) DeliverAll(block);
  form->ShowReceivedText();
  EXPECT_LE(Log()->KeptBytes(), 1024u * 1024u);
  EXPECT_GT(Log()->KeptBytes(), 1000u * 1024u);
  EXPECT_GT(Log()->DroppedBytes(), 200u * 1024u);
  // Whole lines went: the first kept line is whole.
  EXPECT_EQ(Log()->TextRange(0, 10), String("boot line "));
  const std::string hint = FeatureOf<PanelWholeSession>(0).Hint().Utf8();
  EXPECT_NE(hint.find("接收区保留 1"), std::string::npos) << hint;
  EXPECT_EQ(hint.find("已舍弃 0 字节"), std::string::npos) << hint;
  EXPECT_NE(hint.find(" KiB，"), std::string::npos) << hint;
  EXPECT_NE(hint.find("上限 1 MiB"), std::string::npos) << hint;
}

TEST_F(WholeSession, ALimitThatIsNoNumberInRangeIsRefusedAndSaidSo) {
  ClearShownDialogsForTesting();
  QueueInputAnswerForTesting("0");
  FeatureOf<PanelWholeSession>(0).LimitItem->Click();
  QueueInputAnswerForTesting("12x");
  FeatureOf<PanelWholeSession>(0).LimitItem->Click();
  EXPECT_EQ(FeatureOf<PanelWholeSession>(0).LimitMiB(), 64);
  ASSERT_EQ(ShownDialogsForTesting().size(), 4u);  // two queries, two refusals
  EXPECT_TRUE(ShownDialogsForTesting()[1].FromShowMessage);
  QueueInputAnswerForTesting(" 256 ");
  FeatureOf<PanelWholeSession>(0).LimitItem->Click();
  EXPECT_EQ(FeatureOf<PanelWholeSession>(0).LimitMiB(), 256);
  EXPECT_EQ(FeatureOf<PanelWholeSession>(0).LimitItem->Caption.Get(), String("保留上限（256 MiB）…"));
}

TEST_F(WholeSession, SavingShownTextWritesEverythingKeptAndClearEmptiesIt) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  DeliverAll(Lines(0, 1000));
  TempFolder folder;
  const auto file = folder.path() / "shown.txt";
  ASSERT_TRUE(FeatureOf<PanelCapture>(0).SaveShownTextTo(String(file.string())));
  ASSERT_TRUE(TickUntil([&] { return !FeatureOf<PanelCapture>(0).Saving(); }));
  EndSavedFiles();  // the writer has written the file
  // What the view shows, line breaks as CR LF as the memo saves them.
  std::string shown;
  for (char c : LogText()) shown += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_GT(shown.size(), Lines(0, 1000).size() - 1);
  EXPECT_TRUE(FileText(file) == shown);
  form->Button4->Click();
  EXPECT_EQ(LogText(), "");
  EXPECT_EQ(Log()->DroppedBytes(), 0u);
}

TEST_F(WholeSession, WithADisplayChoiceMadeSavingKeepsEveryCharacterShownInUtf8) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  DisplayChoices choices;
  choices.CodePage = CP_UTF8;
  choices.Colours = true;
  FeatureOf<PanelDisplay>(0).Set(choices);
  // Hangul and an invalid byte's mark have no GBK form: GBK lost them.
  DeliverAll("\x1b[0;32mI (5) app: 温度 23℃ 한국어\x1b[0m\r\nbad \xFF byte\r\n");
  TempFolder folder;
  const auto file = folder.path() / "shown.txt";
  ASSERT_TRUE(FeatureOf<PanelCapture>(0).SaveShownTextTo(String(file.string())));
  ASSERT_TRUE(TickUntil([&] { return !FeatureOf<PanelCapture>(0).Saving(); }));
  EndSavedFiles();  // the writer has written the file
  EXPECT_EQ(FileText(file), "I (5) app: 温度 23℃ 한국어\r\nbad ⟨FF⟩ byte\r\n");
}

// Saving all a view keeps is written on a thread: the text as it was when
// the save began, while the window goes on taking more; a full disk is
// told once the writer meets it.
TEST_F(WholeSession, SavingRunsBesideTheWindowAndAFullDiskIsTold) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  DeliverAll(Lines(0, 20000));
  form->ShowReceivedText();
  const std::string before = LogText();
  TempFolder folder;
  const auto file = folder.path() / "shown.txt";
  ASSERT_TRUE(FeatureOf<PanelCapture>(0).SaveShownTextTo(String(file.string())));
  DeliverAll("after the save began\r\n");
  ASSERT_TRUE(TickUntil([&] { return !FeatureOf<PanelCapture>(0).Saving(); }));
  EndSavedFiles();
  std::string expected;
  for (char c : before) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(FileText(file) == expected);
  EXPECT_NE(LogText().find("after the save began"), std::string::npos);
  Tick();
  EXPECT_TRUE(Dialogs().empty());

  if (!std::ifstream("/dev/full").good()) GTEST_SKIP() << "no /dev/full here";
  ASSERT_TRUE(FeatureOf<PanelCapture>(0).SaveShownTextTo("/dev/full"));
  ASSERT_TRUE(TickUntil([&] { return !Dialogs().empty(); }));
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("不能保存到 /dev/full"), std::string::npos) << Dialogs()[0].Text.Utf8();
  EXPECT_FALSE(FeatureOf<PanelCapture>(0).Saving());
}

// A character whose bytes come in two deliveries, placed so that it lands
// across the end of the view's first block: shown whole, counted as one,
// found and selected whole.
TEST_F(WholeSession, ACharacterSplitBetweenDeliveriesAcrossABlockEndShowsWholeAndIsFound) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  DisplayChoices choices;
  choices.CodePage = CP_UTF8;
  FeatureOf<PanelDisplay>(0).Set(choices);
  const std::string filler(32 * 1024 - 2, 'x');  // "中" starts two bytes before the block's end
  DeliverAll(filler + "\xE4");
  Deliver(1,
          "\xB8\xAD"
          "end\r\n");
  EXPECT_EQ(LogText(), filler + "中end\n");
  EXPECT_EQ(Log()->CharacterCount(), static_cast<long long>(filler.size()) + 5);
  EXPECT_EQ(Log()->TextRange(static_cast<long long>(filler.size()), 2), String("中e"));
  EXPECT_EQ(Log()->Find("中e"), 1);
  ASSERT_TRUE(Log()->FindNext());
  EXPECT_EQ(Log()->SelText(), String("中e"));
  EXPECT_EQ(Log()->SelStart(), static_cast<long long>(filler.size()));
}

TEST_F(WholeSession, ChoiceAndLimitAreRememberedPerPanel) {
  TempFolder folder;
  const String path((folder.path() / "settings.ini").string());
  {
    TIniFile ini(path);
    FeatureOf<PanelWholeSession>(0).Set(true);
    FeatureOf<PanelWholeSession>(0).SetLimitMiB(8);
    FeatureOf<PanelWholeSession>(0).SaveChoices(ini, "Device1");
    FeatureOf<PanelWholeSession>(1).SaveChoices(ini, "Device2");
    ini.UpdateFile();
  }
  FeatureOf<PanelWholeSession>(0).Set(false);
  TIniFile ini(path);
  FeatureOf<PanelWholeSession>(1).LoadChoices(ini, "Device1");
  EXPECT_TRUE(FeatureOf<PanelWholeSession>(1).On());
  EXPECT_EQ(FeatureOf<PanelWholeSession>(1).LimitMiB(), 8);
  EXPECT_TRUE(FeatureOf<PanelWholeSession>(1).View()->Visible.Get());
  EXPECT_FALSE(form->Memo2->Visible.Get());
  EXPECT_EQ(FeatureOf<PanelWholeSession>(1).View()->Limit.Get(), 8ull * 1024 * 1024);
  FeatureOf<PanelWholeSession>(1).LoadChoices(ini, "Device2");
  EXPECT_FALSE(FeatureOf<PanelWholeSession>(1).On());
  EXPECT_TRUE(form->Memo2->Visible.Get());
}

}  // namespace
