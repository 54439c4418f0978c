// Closing the window stops the process-wide worker for good, so these tests
// run in a program of their own, in this order.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include <TheWorkerThread.h>

#include "MainWindowTest.h"

namespace {

using Shutdown = MainWindowTest;

// A far end that writes as fast as the line takes it until stopped.
class Flood {
 public:
  explicit Flood(int fd)
      : thread_([this, fd] {
          const std::string chunk(512, 'f');
          while (!stop_) {
            if (write(fd, chunk.data(), chunk.size()) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
        }) {}
  ~Flood() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(Shutdown, CancelLeavesPortsTimerAndWorkerRunning) {
  AddFarEnd(1);
  CreateWindow();
  form->Timer1->Enabled = true;
  OpenPanel(0, 1);
  QueueDialogAnswerForTesting(IDCANCEL);
  form->Close();
  ProcessMessagesFor(50);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("确定要退出吗？"));
  EXPECT_EQ(Dialogs()[0].Caption, String("退出程序"));
  EXPECT_EQ(Dialogs()[0].Flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2));
  EXPECT_TRUE(form->Timer1->Enabled.Get());
  EXPECT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(WaitForSingleObject(TheWorkerThread._hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(PortToPanel.size(), 1u);
}

TEST_F(Shutdown, OkWhileBothPortsFloodStopsTimerWorkerAndPortsThenTheWindowGoes) {
  AddFarEnd(1);
  AddFarEnd(2);
  CreateWindow();
  form->Timer1->Enabled = true;
  OpenPanel(0, 1);
  OpenPanel(1, 2);
  {
    Flood one(FarEnd(1));
    Flood two(FarEnd(2));
    ASSERT_TRUE(ProcessMessagesUntil([&] { return !MemoText(form->Memo1).empty() && !MemoText(form->Memo2).empty(); }));
    QueueDialogAnswerForTesting(IDOK);
    form->Close();
    EXPECT_FALSE(form->Timer1->Enabled.Get());
    EXPECT_EQ(WaitForSingleObject(TheWorkerThread._hThread, 0), WAIT_OBJECT_0) << "the worker has ended";
    EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(form->Channels[1]._hComm.load(), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(PortToPanel.empty());
  }
  // Blocks still queued for the window are released with it (the address
  // sanitizer checks nothing leaks and no delivery touches a freed channel).
  delete form;
  form = nullptr;
}

TEST_F(Shutdown, OkRemembersEachPanelsSettingsForTheNextRun) {
  CreateWindow();
  form->ComboBox4->Text = "4800";
  form->RadioButton1->Checked = true;
  QueueDialogAnswerForTesting(IDOK);
  form->Close();
  ProcessMessagesFor(50);
  TIniFile settings(SettingsFile::FileName());
  EXPECT_EQ(settings.ReadString("Device2", "Baud", ""), String("4800"));
  EXPECT_TRUE(settings.ReadBool("Device1", "Hex", false));
}

// After the worker has ended (the test above): the bytes a port read before
// the window closed come to it only with the close, after its message loop
// has ended; a capture still holds them.
TEST_F(Shutdown, ACaptureHoldsWhatTheClosesAtExitHandOn) {
  const std::string file = testing::TempDir() + "kestrix-capture-at-exit-" + std::to_string(getpid());
  AddFarEnd(1);
  CreateWindow();
  OpenPanel(0, 1);
  FeatureOf<PanelCapture>(0).Start(String(file));
  const std::string bytes("read\0before exit", 17);
  SendFromFarEnd(1, bytes);
  ASSERT_TRUE(WaitUntil([&] { return form->Channels[0]._dwBytesRead == bytes.size(); }));
  QueueDialogAnswerForTesting(IDOK);
  form->Close();
  delete form;  // the captures finish writing as the window goes
  form = nullptr;
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
  std::remove(file.c_str());
}

}  // namespace
