// Capturing a panel's received bytes to a file, and saving what its memo
// shows: every byte raw (zeros too) whatever the memo shows, the file in
// the tool tip, and a file that cannot be written stops the capture with a
// message while the port runs on.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/temp_folder.h"
#include "../support/unopened_fifo.h"
#include "MainWindowTest.h"
#include "SavedFiles.h"

namespace {
namespace fs = std::filesystem;

class Capture : public FirstPanelOpenTest {
 protected:
  static std::string Contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Sends from the far end and ticks until the panel has received it all.
  void Receive(const std::string& bytes) {
    const auto before = form->Channels[0]._dwDelivered.load();
    SendFromFarEnd(1, bytes);
    ASSERT_TRUE(TickUntil([&] { return form->Channels[0]._dwDelivered == before + bytes.size(); }));
    // The last block is posted; let the window take it.
    ProcessMessagesFor(50);
  }
  // The capture item, whichever caption it shows.
  TMenuItem* CaptureItem() const {
    if (TMenuItem* item = MenuItem(form->Memo1, "保存接收数据到文件")) return item;
    return MenuItem(form->Memo1, "停止保存");
  }
  std::string Hint() const { return form->StatusBar1->Panels->Items[1]->Hint.Get().Utf8(); }

  TempFolder folder;
};

TEST_F(Capture, TheFileHoldsEveryByteReceivedWhileTheMemoShowsOnlyTheNewest) {
  Receive("before the capture ");
  const std::string file = folder / "capture.bin";
  QueueFileDialogAnswerForTesting(String(file));
  EXPECT_EQ(CaptureItem()->Caption.Get(), String("保存接收数据到文件…"));
  CaptureItem()->Click();
  EXPECT_EQ(CaptureItem()->Caption.Get(), String("停止保存"));
  std::string sent;
  for (int round = 0; round < 40; ++round)
    for (int value = 0; value < 256; ++value) sent += static_cast<char>(value);
  sent += "END";
  Receive(sent);
  // The memo was emptied along the way and shows text without the zeros.
  const std::string memo = MemoText(form->Memo1);
  EXPECT_LT(memo.size(), 8192u);
  EXPECT_EQ(memo.find('\0'), std::string::npos);
  Tick(3);
  EXPECT_NE(Hint().find(file), std::string::npos) << Hint();
  EXPECT_NE(Hint().find("字节"), std::string::npos) << Hint();

  CaptureItem()->Click();  // the same item stops it
  EXPECT_EQ(CaptureItem()->Caption.Get(), String("保存接收数据到文件…"));
  Receive("after the capture");
  ASSERT_TRUE(WaitUntil([&] { return Contents(file).size() >= sent.size(); }));
  EXPECT_EQ(Contents(file), sent);
  Tick(3);
  EXPECT_EQ(Hint().find(file), std::string::npos);
  EXPECT_EQ(Dialogs().size(), 1u) << "only the file dialog";
}

TEST_F(Capture, ClosingThePanelEndsTheCapture) {
  const std::string file = folder / "closing.bin";
  FeatureOf<PanelCapture>(0).Start(String(file));
  Receive("kept");
  form->Button1->Click();
  EXPECT_EQ(CaptureItem()->Caption.Get(), String("保存接收数据到文件…"));
  OpenPanel(0, 1);
  Receive("not kept");
  ASSERT_TRUE(WaitUntil([&] { return Contents(file) == "kept"; }));
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(Capture, TheFileHoldsTheBytesThePortReadBeforeItsCloseToo) {
  const std::string file = folder / "last block.bin";
  FeatureOf<PanelCapture>(0).Start(String(file));
  Receive("delivered, ");
  // Read by the port, not yet delivered by a tick when the panel closes:
  // the close hands them on as the port's last block.
  const std::string tail("read\0before the close", 22);
  const auto read = form->Channels[0]._dwBytesRead.load();
  SendFromFarEnd(1, tail);
  ASSERT_TRUE(WaitUntil([&] { return form->Channels[0]._dwBytesRead == read + tail.size(); }));
  form->Button1->Click();
  EXPECT_EQ(CaptureItem()->Caption.Get(), String("保存接收数据到文件…")) << "the capture ends with the close";
  ProcessMessagesFor(50);
  ASSERT_TRUE(WaitUntil([&] { return Contents(file).size() >= 11 + tail.size(); }));
  EXPECT_EQ(Contents(file), "delivered, " + tail);
}

TEST_F(Capture, ACaptureStartedBetweenACloseAndItsLastBlockGetsNoneOfThatPortsBytes) {
  const std::string closed = folder / "closed.bin";
  const std::string next = folder / "next.bin";
  FeatureOf<PanelCapture>(0).Start(String(closed));
  Post(1, "on its way", &form->Channels[0]);  // posted before the close, not yet taken
  form->Button1->Click();
  FeatureOf<PanelCapture>(0).Start(String(next));
  ProcessMessagesFor(50);
  OpenPanel(0, 1);
  Receive("new");
  ASSERT_TRUE(WaitUntil([&] { return Contents(next).size() >= 3 && Contents(closed).size() >= 10; }));
  EXPECT_EQ(Contents(closed), "on its way");
  EXPECT_EQ(Contents(next), "new");
}

TEST_F(Capture, AFullDiskStopsTheCaptureWithAMessageAndThePortRunsOn) {
  FeatureOf<PanelCapture>(0).Start("/dev/full");
  ASSERT_TRUE(Dialogs().empty());
  Receive("first");
  ASSERT_TRUE(TickUntil([&] { return !Dialogs().empty(); }));
  const std::string text = Dialogs().at(0).Text.Utf8();
  EXPECT_NE(text.find("保存接收数据已停止"), std::string::npos) << text;
  EXPECT_NE(text.find("磁盘已满"), std::string::npos) << text;
  EXPECT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  Receive("second");
  EXPECT_NE(MemoText(form->Memo1).find("second"), std::string::npos);
  Tick(3);
  EXPECT_EQ(Hint().find("/dev/full"), std::string::npos);
  EXPECT_EQ(Dialogs().size(), 1u) << "told once";
}

TEST_F(Capture, AFileThatCannotBeMadeIsToldAndNothingIsCaptured) {
  FeatureOf<PanelCapture>(0).Start(String(folder / "no-such-folder/x.bin"));
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("文件夹不存在"), std::string::npos);
  Receive("still shown");
  EXPECT_EQ(MemoText(form->Memo1), "still shown");
}

TEST_F(Capture, TheShownTextIsSavedInTheAnsiCodePage) {
  Receive("AB\r\n\xD6\xD0\xCE\xC4");
  const std::string file = folder / "shown.txt";
  QueueFileDialogAnswerForTesting(String(file));
  MenuItem(form->Memo1, "保存显示内容")->Click();
  EndSavedFiles();  // the writer has written the file
  EXPECT_EQ(Contents(file), "AB\r\n\xD6\xD0\xCE\xC4");
  ClearShownDialogsForTesting();
  EXPECT_FALSE(FeatureOf<PanelCapture>(0).SaveShownTextTo(String(folder.path().string())));
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("不能保存到"), std::string::npos);
}

// A FIFO nobody reads, chosen in the file dialog: the window never waits
// for a reader; it says the name is no file it can write, and nothing
// changes.
TEST_F(Capture, AFifoChosenForTheCaptureOrTheSavedTextIsRefusedAtOnce) {
  UnopenedFifo fifo(folder / "pipe");
  ASSERT_TRUE(fifo.Made());
  Receive("shown");
  QueueFileDialogAnswerForTesting(String(fifo.Path()));
  EXPECT_TRUE(fifo.ReturnsWithin([&] { CaptureItem()->Click(); })) << "the window waited for a reader";
  ASSERT_EQ(Dialogs().size(), 2u);  // the file dialog, then the message
  EXPECT_EQ(Dialogs()[1].Text,
            String("不能保存到 " + fifo.Path() + "\n没有权限，或者它不是普通文件（文件夹、管道或设备）"));
  EXPECT_EQ(CaptureItem()->Caption.Get(), String("保存接收数据到文件…"));

  ClearShownDialogsForTesting();
  QueueFileDialogAnswerForTesting(String(fifo.Path()));
  EXPECT_TRUE(fifo.ReturnsWithin([&] { MenuItem(form->Memo1, "保存显示内容")->Click(); }))
      << "the window waited for a reader";
  ASSERT_EQ(Dialogs().size(), 2u);
  EXPECT_NE(Dialogs()[1].Text.Utf8().find("不是普通文件"), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(fifo.Path()));
  Receive(" and more");
  EXPECT_EQ(MemoText(form->Memo1), "shown and more");
}

}  // namespace
