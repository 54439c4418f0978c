// Sending a file through a panel's port: byte-exact at the far end, paced,
// counted in S:, with progress in the counter panel, and cancellable.
#include <fstream>

#include "../support/temp_folder.h"
#include "../support/unopened_fifo.h"
#include "MainWindowTest.h"

namespace {

class FileSend : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    CreateWindow();
  }
  // A file of `size` bytes running through all 256 values, zeros included.
  std::string MakeFile(const std::string& name, size_t size) {
    contents.clear();
    for (size_t i = 0; i < size; ++i) contents += static_cast<char>((i * 7 + i / 256) & 0xFF);
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }
  void OpenAt(const char* baud) {
    form->ComboBox2->Text = baud;
    OpenPanel(0, 1);
    ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  }
  // The raw send's item, first of the send-file submenu, whichever caption
  // it shows.
  TMenuItem* SendFileItem() const {
    TMenuItem* submenu = MenuItem(form->Edit1, "发送文件");
    if (submenu == nullptr || submenu->Count == 0) return nullptr;
    return submenu->Items[0];
  }
  std::string CounterText() const { return form->StatusBar1->Panels->Items[1]->Text.Get().Utf8(); }

  TempFolder folder;
  std::string contents;
};

TEST_F(FileSend, EveryByteValueArrivesExactlyAndIsCounted) {
  OpenAt("9600");
  const std::string path = MakeFile("all-values.bin", 256 * 4);
  QueueFileDialogAnswerForTesting(String(path));
  EXPECT_EQ(SendFileItem()->Caption.Get(), String("原始…"));
  SendFileItem()->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, contents.size()), contents);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] == contents.size(); }));
  EXPECT_TRUE(Dialogs().size() == 1) << "only the file dialog";
}

TEST_F(FileSend, ALargerFileArrivesWholeInOrder) {
  OpenAt("115200");
  const std::string path = MakeFile("large.bin", 3 * 1024 * 1024 + 17);
  FeatureOf<PanelFileSend>(0).Start(String(path));
  EXPECT_EQ(ReceiveAtFarEnd(1, contents.size(), std::chrono::seconds(60)), contents);
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] == contents.size(); }));
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(FileSend, ProgressShowsWhileTheFarEndIsSlowAndCancelStopsIt) {
  OpenAt("9600");
  // Nobody reads the far end: the line fills and the sending waits for room.
  const std::string path = MakeFile("stalled.bin", 4 * 1024 * 1024);
  FeatureOf<PanelFileSend>(0).Start(String(path));
  ASSERT_TRUE(TickUntil([&] { return CounterText().find('%') != std::string::npos; }));
  EXPECT_EQ(SendFileItem()->Caption.Get(), String("取消发送文件"));
  EXPECT_NE(form->StatusBar1->Panels->Items[1]->Hint.Get().Utf8().find("stalled.bin"), std::string::npos);
  ProcessMessagesFor(200);
  const DWORD start = GetTickCount();
  SendFileItem()->Click();  // the same menu item cancels
  EXPECT_LT(GetTickCount() - start, 1000u);
  Tick(3);
  EXPECT_EQ(CounterText().find('%'), std::string::npos);
  EXPECT_EQ(SendFileItem()->Caption.Get(), String("原始…"));
  const ULONGLONG sent = PanelSentBytes[0];
  EXPECT_GT(sent, 0u);
  EXPECT_LT(sent, contents.size());
  // What was counted is what the line carries, and nothing after it.
  EXPECT_EQ(ReceiveAtFarEnd(1, static_cast<size_t>(sent)), contents.substr(0, static_cast<size_t>(sent)));
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_TRUE(Dialogs().empty()) << "a cancel needs no message";
}

TEST_F(FileSend, ClosingThePanelCancelsTheSending) {
  OpenAt("9600");
  const std::string path = MakeFile("closing.bin", 4 * 1024 * 1024);
  FeatureOf<PanelFileSend>(0).Start(String(path));
  ASSERT_TRUE(WaitUntil([&] { return form->Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }));
  form->Button1->Click();
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  const ULONGLONG sent = PanelSentBytes[0];
  Tick(3);
  EXPECT_EQ(PanelSentBytes[0], sent);
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(FileSend, AnUnplugStopsTheSendingAndSaysHowMuchWent) {
  OpenAt("9600");
  const std::string path = MakeFile("unplugged.bin", 4 * 1024 * 1024);
  FeatureOf<PanelFileSend>(0).Start(String(path));
  // The far end takes what comes, so the sending paces itself to the line
  // and waits between pieces: the unplug comes in such a wait.
  EXPECT_EQ(ReceiveAtFarEnd(1, 3000), contents.substr(0, 3000));
  HangUpFarEnd(1);
  ASSERT_TRUE(TickUntil([&] { return !FeatureOf<PanelFileSend>(0).Running() && !Dialogs().empty(); }));
  Tick(2);
  ASSERT_EQ(Dialogs().size(), 1u);
  const std::string text = Dialogs()[0].Text.Utf8();
  EXPECT_NE(text.find("断开"), std::string::npos) << text;
  EXPECT_NE(text.find("unplugged.bin"), std::string::npos) << text;
  const std::string counted = "已发送 " + std::to_string(PanelSentBytes[0]) + " 字节";
  EXPECT_NE(text.find(counted), std::string::npos) << text << " / " << counted;
}

TEST_F(FileSend, AMissingFileOrAClosedPortIsToldAndSendsNothing) {
  FeatureOf<PanelFileSend>(0).SendOrCancel();
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("请先打开端口"), std::string::npos);
  ClearShownDialogsForTesting();

  OpenAt("9600");
  FeatureOf<PanelFileSend>(0).Start(String(folder / "missing.bin"));
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("文件不存在"), std::string::npos);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(PanelSentBytes[0], 0u);
}

// A FIFO nobody writes, chosen in the file dialog: the window never waits
// for a writer, says the name is no file it can read, and sends nothing.
TEST_F(FileSend, AFifoChosenAsTheFileIsRefusedAtOnceAndSendsNothing) {
  OpenAt("9600");
  UnopenedFifo fifo(folder / "pipe");
  ASSERT_TRUE(fifo.Made());
  QueueFileDialogAnswerForTesting(String(fifo.Path()));
  EXPECT_TRUE(fifo.ReturnsWithin([&] { SendFileItem()->Click(); })) << "the window waited for a writer";
  ASSERT_EQ(Dialogs().size(), 2u);  // the file dialog, then the message
  EXPECT_NE(Dialogs()[1].Text.Utf8().find("不是普通文件"), std::string::npos) << Dialogs()[1].Text.Utf8();
  EXPECT_EQ(SendFileItem()->Caption.Get(), String("原始…"));
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(PanelSentBytes[0], 0u);
}

}  // namespace
