// A panel's session log: the file holds the text the view shows as it
// comes (escapes out, one LF a line, stamps when chosen), new files at a
// size and at midnight by a clock the test sets, a full disk told once with
// the port running on, a file removed while in use followed by a new one,
// and the choices that start it with the port and are remembered.
#include <kestrix/platform_testing.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <vector>

#include "../support/temp_folder.h"
#include "MainWindowTest.h"
#include "PanelSessionLog.h"
#include "SavedFiles.h"
#include "SessionLogFile.h"
#include "SessionLogText.h"

namespace {
namespace fs = std::filesystem;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

SYSTEMTIME At(WORD Day, WORD Hour, WORD Minute, WORD Second) {
  SYSTEMTIME at{};
  at.wYear = 2026;
  at.wMonth = 12;
  at.wDay = Day;
  at.wHour = Hour;
  at.wMinute = Minute;
  at.wSecond = Second;
  return at;
}

TEST(SessionLogText, EscapesGoLineBreaksAreOneLfAndSplitPiecesAreJoined) {
  SessionLogText text;
  std::string out = text.Take(u"boot \x1b[3", "");
  out += text.Take(u"2mI (31) ok\x1b[0m\x07\r", "");
  out += text.Take(u"\n\x1b]0;title\x07next\r\n", "");
  EXPECT_EQ(out, "boot I (31) ok\nnext\n");
  // A character outside the basic plane split between two pieces.
  std::string split = text.Take(u"\xD83D", "");
  split += text.Take(u"\xDE00 中\r\n", "");
  EXPECT_EQ(split, "\xF0\x9F\x98\x80 \xE4\xB8\xAD\n");
}

TEST(SessionLogText, StampsGoBeforeEachLineThatStartsWhileAskedFor) {
  SessionLogText text;
  EXPECT_EQ(text.Take(u"one\r\ntw", "[S] "), "[S] one\n[S] tw");
  EXPECT_EQ(text.Take(u"o\r\n", "[T] "), "o\n") << "a line goes on without a second stamp";
  EXPECT_EQ(text.Take(u"three\r\n", ""), "three\n");
  EXPECT_EQ(text.Take(u"\r\nfour", "[U] "), "[U] \n[U] four");
  text.StartLine();
  EXPECT_EQ(text.Take(u"five", "[V] "), "[V] five");
}

class SessionLogFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    choices.Folder = folder.path().string();
    choices.Midnight = false;
  }
  void TearDown() override { EndSavedFiles(); }
  // Everything given reaches the files.
  void Finish() {
    file.Stop();
    EndSavedFiles();
  }

  TempFolder folder;
  SessionLogChoices choices;
  SessionLogFile file;
};

TEST_F(SessionLogFiles, ANewFileAtTheSizeWithEveryByteInOrderAndNoFileReplaced) {
  choices.SizeMiB = 1;
  std::ofstream(folder / "COM3-20261209-142501.log") << "an earlier session";
  ASSERT_EQ(file.Start(choices, "COM3", At(9, 14, 25, 1)), static_cast<DWORD>(ERROR_SUCCESS));
  std::string pieces[3];
  for (int i = 0; i < 3; ++i) {
    pieces[i] = std::string(400 * 1024, static_cast<char>('a' + i));
    file.Add(pieces[i], At(9, 14, 25, 1));
  }
  EXPECT_TRUE(file.NewFileStarted());
  Finish();
  EXPECT_EQ(FilesIn(folder.path()).size(), 3u);
  EXPECT_EQ(Contents(folder / "COM3-20261209-142501.log"), "an earlier session");
  EXPECT_EQ(Contents(folder / "COM3-20261209-142501-2.log"), pieces[0] + pieces[1]);
  EXPECT_EQ(Contents(folder / "COM3-20261209-142501-3.log"), pieces[2]);
}

TEST_F(SessionLogFiles, ANewFileAtMidnightNamedForTheNewDay) {
  choices.Midnight = true;
  ASSERT_EQ(file.Start(choices, "COM3", At(9, 23, 59, 59)), static_cast<DWORD>(ERROR_SUCCESS));
  file.Add("late\n", At(9, 23, 59, 59));
  file.Check(At(9, 23, 59, 59));
  EXPECT_FALSE(file.NewFileStarted());
  file.Check(At(10, 0, 0, 0));  // the clock passed midnight with nothing received
  EXPECT_TRUE(file.NewFileStarted());
  file.Add("early\n", At(10, 0, 0, 1));
  file.Add("later\n", At(10, 9, 0, 0));
  EXPECT_FALSE(file.NewFileStarted());
  Finish();
  EXPECT_EQ(Contents(folder / "COM3-20261209-235959.log"), "late\n");
  EXPECT_EQ(Contents(folder / "COM3-20261210-000000.log"), "early\nlater\n");
}

TEST_F(SessionLogFiles, AFileRemovedWhileInUseIsFollowedByANewOne) {
  ASSERT_EQ(file.Start(choices, "COM3", At(9, 8, 0, 0)), static_cast<DWORD>(ERROR_SUCCESS));
  const fs::path first(file.FileName().Utf8());
  file.Add("gone with it\n", At(9, 8, 0, 0));
  fs::remove(first);
  file.Check(At(9, 8, 0, 5));
  EXPECT_TRUE(file.NewFileStarted());
  EXPECT_TRUE(file.Active());
  file.Add("kept\n", At(9, 8, 0, 6));
  Finish();
  EXPECT_EQ(Contents(folder / "COM3-20261209-080005.log"), "kept\n");
  EXPECT_FALSE(fs::exists(first));
}

TEST_F(SessionLogFiles, AFullDiskStopsTheLogAndIsToldOnce) {
  choices.Folder = "/dev";
  choices.Pattern = "full";  // a device is written as named
  ASSERT_EQ(file.Start(choices, "COM3", At(9, 8, 0, 0)), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(file.FileName(), String("/dev/full"));
  file.Add("text\n", At(9, 8, 0, 0));
  String failure;
  ASSERT_TRUE(WaitUntil([&] { return !(failure = file.TakeFailure()).IsEmpty(); }));
  EXPECT_NE(failure.Utf8().find("会话日志已停止"), std::string::npos) << failure.Utf8();
  EXPECT_NE(failure.Utf8().find("磁盘已满"), std::string::npos) << failure.Utf8();
  EXPECT_FALSE(file.Active());
  EXPECT_TRUE(file.TakeFailure().IsEmpty());
}

TEST_F(SessionLogFiles, AFolderThatCannotBeMadeIsTheStartsError) {
  std::ofstream(folder / "a file") << "x";
  choices.Folder = folder / "a file/sessions";
  EXPECT_NE(file.Start(choices, "COM3", At(9, 8, 0, 0)), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(file.Active());
}

TEST(SessionLogChoices, FileNamesFromThePatternAndRememberedChoices) {
  EXPECT_EQ(SessionFileName("{port}-{date}-{time}.log", "COM3", At(9, 14, 25, 1)), String("COM3-20261209-142501.log"));
  EXPECT_FALSE(SessionLogChoices::PatternFits("../x"));
  EXPECT_FALSE(SessionLogChoices::PatternFits("  "));
  EXPECT_TRUE(String(DefaultSessionFolder()).Utf8().ends_with("/kestrix/sessions"));

  TempFolder folder;
  SessionLogChoices saved;
  saved.Folder = folder.path().string();
  saved.Pattern = "{date}.txt";
  saved.SizeMiB = 5;
  saved.Midnight = false;
  saved.AutoStart = true;
  saved.AlwaysStamp = true;
  {
    TIniFile ini(String(folder / "settings.ini"));
    saved.Save(ini, "Panel1");
  }
  TIniFile ini(String(folder / "settings.ini"));
  ini.WriteString("Panel2", "SessionLogPattern", "a/b");
  SessionLogChoices loaded;
  loaded.Load(ini, "Panel1");
  EXPECT_EQ(loaded.Folder, saved.Folder);
  EXPECT_EQ(loaded.Pattern, saved.Pattern);
  EXPECT_EQ(loaded.SizeMiB, 5u);
  EXPECT_FALSE(loaded.Midnight);
  EXPECT_TRUE(loaded.AutoStart);
  EXPECT_TRUE(loaded.AlwaysStamp);
  SessionLogChoices refused;
  refused.Load(ini, "Panel2");
  EXPECT_EQ(refused.Pattern, SessionLogChoices().Pattern) << "a pattern naming another folder is not taken";
}

class SessionLog : public FirstPanelOpenTest {
 protected:
  void SetUp() override {
    FirstPanelOpenTest::SetUp();
    choices.Folder = folder.path().string();
  }
  void TearDown() override {
    SetLocalClockForTesting(nullptr);
    FirstPanelOpenTest::TearDown();
  }
  PanelSessionLog& Log() const { return FeatureOf<PanelSessionLog>(0); }
  void Receive(const std::string& bytes) {
    const auto before = form->Channels[0]._dwDelivered.load();
    SendFromFarEnd(1, bytes);
    ASSERT_TRUE(TickUntil([&] { return form->Channels[0]._dwDelivered == before + bytes.size(); }));
    ProcessMessagesFor(50);
  }
  // The view's text as the log writes it: one LF a line.
  std::string ViewText() const {
    form->ShowReceivedText();
    std::string text = form->Panels[0]->Receive->ShownText().Utf8();
    std::erase(text, '\r');
    return text;
  }
  // The file in use, once its writer has written what it was given.
  std::string LogText() const {
    const fs::path file(Log().File().FileName().Utf8());
    WaitUntil([&] { return fs::exists(file) && fs::file_size(file) >= Log().File().Bytes(); });
    return Contents(file);
  }

  TempFolder folder;
  SessionLogChoices choices;
};

TEST_F(SessionLog, TheFileHoldsWhatTheViewShowsAsItComesWithSendsMarked) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  DisplayChoices display;
  display.Colours = true;
  display.Echo = true;
  FeatureOf<PanelDisplay>(0).Set(display);
  ASSERT_TRUE(Log().Apply(choices, true));
  EXPECT_TRUE(Log().Item->Checked);
  EXPECT_TRUE(std::regex_match(fs::path(Log().File().FileName().Utf8()).filename().string(),
                               std::regex(R"(COM1-\d{8}-\d{6}\.log)")));
  Receive("boot\r\n\x1b[32mI (31) wifi: up\x1b[0m\r\nprompt> ");
  form->Panels[0]->SendBytes("AT\r\n");
  Tick();
  Receive("OK\r\n");
  // Written as it came: the view need not have been drawn.
  const std::string logged = LogText();
  EXPECT_NE(logged.find("I (31) wifi: up\n"), std::string::npos) << logged;
  EXPECT_NE(logged.find("→ AT"), std::string::npos) << logged;
  EXPECT_EQ(logged, ViewText());
  EXPECT_NE(form->StatusBar1->Panels->Items[1]->Hint.Get().Utf8().find(Log().File().FileName().Utf8()),
            std::string::npos);
}

TEST_F(SessionLog, TheMemosLimitLetsNothingGoFromTheLog) {
  ASSERT_TRUE(Log().Apply(choices, true));
  std::string sent;
  for (int i = 0; i < 400; ++i) sent += "line " + std::to_string(i) + " of a sensor's steady output\r\n";
  Receive(sent);
  std::string expected = sent;
  std::erase(expected, '\r');
  EXPECT_EQ(LogText(), expected);
  EXPECT_LT(ViewText().size(), expected.size()) << "the memo keeps 4 KB";
}

TEST_F(SessionLog, EveryLineStampedWhenChosenAndTheViewHasNoStamps) {
  choices.AlwaysStamp = true;
  ASSERT_TRUE(Log().Apply(choices, true));
  Receive("a\r\nb\r\n");
  EXPECT_TRUE(std::regex_match(LogText(), std::regex(R"((\[\d\d:\d\d:\d\d\.\d{3}\] [ab]\n){2})"))) << LogText();
  EXPECT_EQ(ViewText(), "a\nb\n");
}

TEST_F(SessionLog, ANewFileAtMidnightByTheWindowsClock) {
  SYSTEMTIME late = At(9, 23, 59, 58);
  SetLocalClockForTesting(&late);
  ASSERT_TRUE(Log().Apply(choices, true));
  Receive("before\r\n");
  SYSTEMTIME next = At(10, 0, 0, 1);
  SetLocalClockForTesting(&next);
  Tick(10);
  Receive("after\r\n");
  EXPECT_EQ(LogText(), "after\n");
  Log().Stop();
  EndSavedFiles();
  const std::vector<fs::path> files = FilesIn(folder.path());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(files[0].filename().string().starts_with("COM1-20261209-2359"));
  EXPECT_EQ(Contents(files[0]), "before\n");
  EXPECT_TRUE(files[1].filename().string().starts_with("COM1-20261210-0000"));
  EXPECT_EQ(Contents(files[1]), "after\n");
}

TEST_F(SessionLog, AFullDiskIsToldOnceAndThePortRunsOn) {
  choices.Folder = "/dev";
  choices.Pattern = "full";
  ASSERT_TRUE(Log().Apply(choices, true));
  Receive("first\r\n");
  ASSERT_TRUE(TickUntil([&] { return !Dialogs().empty(); }));
  EXPECT_NE(Dialogs().at(0).Text.Utf8().find("会话日志已停止"), std::string::npos);
  EXPECT_FALSE(Log().Logging());
  Receive("second");
  EXPECT_NE(MemoText(form->Memo1).find("second"), std::string::npos);
  Tick(12);
  EXPECT_EQ(Dialogs().size(), 1u) << "told once";
}

TEST_F(SessionLog, StartsWhenThePortOpensInAFileNamedForIt) {
  choices.AutoStart = true;
  ASSERT_TRUE(Log().Apply(choices, false));
  EXPECT_FALSE(Log().Logging());
  form->Button1->Click();  // close
  OpenPanel(0, 1);
  ASSERT_TRUE(Log().Logging());
  EXPECT_NE(Log().File().FileName().Utf8().find("/COM1-"), std::string::npos);
}

TEST_F(SessionLog, TheMenuOpensTheWindowAndTheFolder) {
  TMenuItem* item = MenuItem(form->Memo1, "会话日志…");
  ASSERT_NE(item, nullptr);
  item->Click();
  SessionLogWindow& window = Log().Window();
  EXPECT_TRUE(window.Form->Visible);
  // The folder is chosen in the folder dialog.
  QueueFileDialogAnswerForTesting(String(folder.path().string()));
  window.ChooseFolderButton->Click();
  EXPECT_EQ(window.FolderEdit->Text.Get(), String(folder.path().string()));
  window.SizeEdit->Text = "x";
  window.LogBox->Checked = true;
  window.Apply();
  ASSERT_EQ(Dialogs().size(), 2u) << "the folder dialog, then a size that is no number is said";
  EXPECT_FALSE(Log().Logging());
  window.SizeEdit->Text = "2";
  window.Apply();
  EXPECT_TRUE(Log().Logging());
  EXPECT_EQ(Log().Choices().SizeMiB, 2u);
  EXPECT_FALSE(window.Form->Visible);

  // The folder goes to the desktop's opener, here a script that writes it down.
  const std::string opened = folder / "opened";
  const std::string opener = folder / "opener";
  std::ofstream(opener) << "#!/bin/sh\necho \"$1\" > '" << opened << "'\n";
  fs::permissions(opener, fs::perms::owner_all);
  setenv("KESTRIX_OPENER", opener.c_str(), 1);
  MenuItem(form->Memo1, "打开会话日志文件夹")->Click();
  unsetenv("KESTRIX_OPENER");
  ASSERT_TRUE(WaitUntil([&] { return Contents(opened).size() > 0; }));
  EXPECT_EQ(Contents(opened), folder.path().string() + "\n");
  EXPECT_EQ(Dialogs().size(), 2u);
}

// Escape puts the window away wherever the focus is (a field, a button),
// and changes nothing; Enter in a field applies.
TEST_F(SessionLog, EscapeClosesTheWindowFromAFieldOrAButtonAndEnterApplies) {
  SessionLogWindow& window = Log().Window();
  for (TWinControl* focus :
       {static_cast<TWinControl*>(window.SizeEdit), static_cast<TWinControl*>(window.ChooseFolderButton)}) {
    window.Show(Log().Choices(), Log().Logging());
    ASSERT_TRUE(window.Form->Visible);
    window.LogBox->Checked = true;
    PressKeyForTesting(focus, VK_ESCAPE);
    EXPECT_FALSE(window.Form->Visible);
    EXPECT_FALSE(Log().Logging());
  }
  window.Show(Log().Choices(), Log().Logging());
  window.FolderEdit->Text = String(folder.path().string());
  window.LogBox->Checked = true;
  PressKeyForTesting(window.PatternEdit, VK_RETURN);
  EXPECT_FALSE(window.Form->Visible);
  EXPECT_TRUE(Log().Logging());
}

}  // namespace
