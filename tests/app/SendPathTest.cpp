// Every kind of send takes a panel's one path: the typed line, auto-send, a
// quick send and a file each arrive at the far end, are echoed when the
// panel shows its sends, become a row of the link monitor and are counted in
// S:; and a file send is paced by the character pause as any send is.
#include <chrono>
#include <fstream>
#include <string>

#include "../support/temp_folder.h"
#include "MainWindowTest.h"

namespace {

class SendPath : public FirstPanelOpenTest {
 protected:
  void SetUp() override {
    FirstPanelOpenTest::SetUp();
    DisplayChoices choices;
    choices.Echo = true;
    FeatureOf<PanelDisplay>(0).Set(choices);
    LinkMonitor& monitor = FeatureOf<PanelLinkMonitor>(0).Monitor;
    MonitorChoices shown = monitor.Choices();
    shown.ShowSends = true;
    monitor.SetChoices(shown);
    monitor.Show();
  }
  void TearDown() override {
    form->CheckBox1->Checked = false;
    FirstPanelOpenTest::TearDown();
  }

  // The send went the whole way: at the far end, in S:, echoed on its own
  // line and recorded as a sent frame by the monitor.
  void ExpectSent(const std::string& bytes, const char* kind, ULONGLONG before) {
    SCOPED_TRACE(kind);
    EXPECT_TRUE(TickUntil([&] { return PanelSentBytes[0] >= before + bytes.size() && MemoShows(bytes); }));
    EXPECT_EQ(ReceiveAtFarEnd(1, bytes.size()), bytes);
    const LinkRecord& record = FeatureOf<PanelLinkMonitor>(0).Monitor.Record();
    EXPECT_TRUE(TickUntil([&] {
      for (const LinkFrame& frame : record.Frames())
        if (frame.Sent && frame.Bytes.find(bytes) != std::string::npos) return true;
      return false;
    }));
  }
  // The receive area shows the send on a line of its own, marked "→ ".
  bool MemoShows(const std::string& bytes) {
    ReceiveArea& area = *form->Panels[0]->Receive;
    area.ShowNow();
    return area.ShownText().Utf8().find("\xE2\x86\x92 " + bytes) != std::string::npos;
  }
  std::string FileOf(const std::string& bytes) {
    const std::string path = folder / "send.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  TempFolder folder;
};

TEST_F(SendPath, TypedAutoQuickAndFileSendsAreEchoedRecordedAndCounted) {
  form->Edit1->Text = "typed";
  form->Button2->Click();
  ExpectSent("typed", "the send line", 0);
  EXPECT_EQ(PanelSentBytes[0], 5u);

  form->Edit1->Text = "auto";
  form->CheckBox1->Checked = true;
  ExpectSent("auto", "auto-send", 5);
  form->CheckBox1->Checked = false;
  Tick();
  ReceiveAtFarEnd(1, 1000, std::chrono::milliseconds(200));  // further auto-sends

  const ULONGLONG beforeQuick = PanelSentBytes[0];
  std::string error;
  ASSERT_TRUE(FeatureOf<PanelQuickSends>(0).Add({"q", "quick", false, Checksum::None, 0}, error)) << error;
  FeatureOf<PanelQuickSends>(0).SendNow(0);
  ExpectSent("quick", "a quick send", beforeQuick);
  EXPECT_EQ(PanelSentBytes[0], beforeQuick + 5);

  const ULONGLONG beforeFile = PanelSentBytes[0];
  FeatureOf<PanelFileSend>(0).Start(String(FileOf("filed")));
  ExpectSent("filed", "a file", beforeFile);
  EXPECT_EQ(PanelSentBytes[0], beforeFile + 5);
}

TEST_F(SendPath, AFileIsPacedByTheCharacterPause) {
  FeatureOf<PanelLineControl>(0).SetCharGap(40);
  const auto start = std::chrono::steady_clock::now();
  FeatureOf<PanelFileSend>(0).Start(String(FileOf("ABCDEF")));
  ASSERT_TRUE(TickUntil([&] { return !FeatureOf<PanelFileSend>(0).Running(); }));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(ReceiveAtFarEnd(1, 6), "ABCDEF");
  // Five pauses of 40 ms between six characters, at the least.
  EXPECT_GE(took, std::chrono::milliseconds(200));
  EXPECT_TRUE(TickUntil([&] { return MemoShows("ABCDEF"); })) << "the paced file's echo is one line";
}

}  // namespace
