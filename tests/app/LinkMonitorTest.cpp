// The link monitor in the window: opened from a panel's receive-area menu,
// it shows both ports' frames in the order they arrived, pauses without
// losing any, follows a port that closes and opens again, and leaves the
// panels as they are.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/temp_folder.h"
#include "../support/unopened_fifo.h"
#include "MainWindowTest.h"

namespace {

// The component of the owner (or of the components it owns) that the
// test picks.
template <typename T>
T* Find(TComponent* owner, const std::function<bool(T*)>& wanted) {
  for (int index = 0; index < owner->ComponentCount; ++index) {
    TComponent* component = owner->Components[index];
    if (auto* match = dynamic_cast<T*>(component); match && wanted(match)) return match;
    if (T* inner = Find<T>(component, wanted)) return inner;
  }
  return nullptr;
}

class LinkMonitorTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(3);
    AddFarEnd(4);
    CreateWindow();
    OpenPanel(0, 3);
    OpenPanel(1, 4);
    OpenMonitor();
  }

  void OpenMonitor() {
    TMenuItem* item = MenuItem(form->Memo2, "链路监视");
    ASSERT_NE(item, nullptr);
    item->Click();
    monitor = Find<TForm>(form, [](TForm* f) { return f->Caption.Get().Utf8() == "链路监视"; });
    ASSERT_NE(monitor, nullptr);
    rows = Find<TLogView>(monitor, [](TLogView* m) { return m->AccessibleName.Get().Utf8() == "链路记录"; });
    ASSERT_NE(rows, nullptr);
  }

  void Restart() {
    delete form;
    form = nullptr;
    CreateWindow();
    OpenMonitor();
  }

  template <typename T>
  T* Named(const std::string& name) {
    return Find<T>(monitor, [&](T* c) { return c->AccessibleName.Get().Utf8() == name; });
  }
  TCheckBox* Box(const std::string& caption) {
    return Find<TCheckBox>(monitor, [&](TCheckBox* b) { return b->Caption.Get().Utf8() == caption; });
  }
  TEdit* GapEdit() { return Named<TEdit>("帧间隔(毫秒), 空为 3.5 个字符时间"); }

  TButton* Button(const std::string& caption) {
    return Find<TButton>(monitor, [&](TButton* b) { return b->Caption.Get().Utf8() == caption; });
  }

  const LinkRecord& Record() const { return FeatureOf<PanelLinkMonitor>(0).Monitor.Record(); }

  bool WaitForFrames(size_t count) {
    return TickUntil([&] { return Record().Frames().size() >= count; }, 20000);
  }

  TForm* monitor = nullptr;
  TLogView* rows = nullptr;
};

TEST_F(LinkMonitorTest, BothPortsFramesAppearInTheOrderTheyArrivedAndThePanelsShowTheirOwn) {
  EXPECT_EQ(MenuItem(form->Memo1, "链路监视")->ShortCut.Get(), static_cast<TShortCut>(scCtrl | 'M'));
  SendFromFarEnd(3, "request");
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo1).find("request") != std::string::npos; }));
  SendFromFarEnd(4, "answer");
  ASSERT_TRUE(WaitForFrames(2));
  EXPECT_EQ(Record().Frames()[0].Bytes, "request");
  EXPECT_EQ(Record().Frames()[0].Name, "COM3");
  EXPECT_EQ(Record().Frames()[1].Bytes, "answer");
  EXPECT_EQ(Record().Frames()[1].Port, 1);
  EXPECT_LT(Record().Frames()[0].Start, Record().Frames()[1].Start);
  // DTR and RTS are raised as a port opens; the frames say so.
  EXPECT_EQ(Record().Frames()[0].Lines & (kLineDtr | kLineRts), kLineDtr | kLineRts);

  ASSERT_TRUE(TickUntil([&] { return rows->Text().Utf8().find("61 6E 73 77 65 72") != std::string::npos; }));
  const std::string text = rows->Text().Utf8();
  EXPECT_LT(text.find("COM3 \xE2\x86\x92"), text.find("COM4 \xE2\x86\x92"));
  EXPECT_NE(text.find(" ms  61 6E"), std::string::npos) << "the answer's gap since the request: " << text;
  // The panels show exactly what they received, the monitor open or not.
  EXPECT_EQ(MemoText(form->Memo1), "request");
  EXPECT_EQ(MemoText(form->Memo2), "answer");
}

TEST_F(LinkMonitorTest, SensorLinesReadLateTogetherStillMakeAFrameEach) {
  // A busy machine: the panel's reader is held off while a sensor prints
  // three lines 20 ms apart (each long enough to count as streaming). The
  // port read each as it came, and the frames split by those times.
  Tick();
  const std::string line = "temperature=21.50 humidity=40.20 p=1013\r\n";
  {
    InnerLocker hold(&form->Channels[0]._Lock);
    for (int i = 0; i < 3; ++i) {
      SendFromFarEnd(3, line);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ASSERT_TRUE(TickUntil([&] {
    size_t bytes = 0;
    for (const LinkFrame& frame : Record().Frames()) bytes += frame.Bytes.size();
    return bytes == 3 * line.size();
  }));
  ASSERT_EQ(Record().Frames().size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Record().Frames()[i].Bytes, line) << i;
}

TEST_F(LinkMonitorTest, EscapeClosesTheFindBoxFirstThenTheWindowAndCtrlWClosesIt) {
  Find<TMenuItem>(monitor, [](TMenuItem* i) { return i->Caption.Get().Utf8() == "查找…"; })->Click();
  TFindBox* finder = Find<TFindBox>(monitor, [](TFindBox*) { return true; });
  ASSERT_NE(finder, nullptr);
  ASSERT_TRUE(finder->Visible.Get());
  PressKeyForTesting(finder, VK_ESCAPE);
  EXPECT_FALSE(finder->Visible.Get());
  EXPECT_TRUE(monitor->Visible.Get()) << "the find box took that Escape";
  PressKeyForTesting(rows, VK_ESCAPE);
  EXPECT_FALSE(monitor->Visible.Get());
  EXPECT_FALSE(FeatureOf<PanelLinkMonitor>(0).Monitor.Recording());
  OpenMonitor();
  PressKeyForTesting(Box("16进制"), 'W', true);
  EXPECT_FALSE(monitor->Visible.Get());
  PressKeyForTesting(form->Memo1, VK_ESCAPE);
  PressKeyForTesting(form->Memo1, 'W', true);
  EXPECT_FALSE(Application->Terminated.Get()) << "the main window closes by neither";
}

TEST_F(LinkMonitorTest, APauseLosesNothingAndTheViewCatchesUp) {
  Button("暂停")->Click();
  SendFromFarEnd(3, "one");
  ASSERT_TRUE(WaitForFrames(1));
  SendFromFarEnd(4, "two");
  ASSERT_TRUE(WaitForFrames(2));
  Tick(3);
  EXPECT_EQ(rows->Text().Utf8(), "") << "nothing shown while paused";
  Button("继续")->Click();
  const std::string text = rows->Text().Utf8();
  EXPECT_NE(text.find("|one|"), std::string::npos) << text;
  EXPECT_NE(text.find("|two|"), std::string::npos) << text;
}

TEST_F(LinkMonitorTest, APortClosedAndOpenedAgainKeepsBothOpeningsFrames) {
  SendFromFarEnd(3, "before");
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo1).find("before") != std::string::npos; }));
  form->Button1->Click();  // closes device 1's port
  ASSERT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  form->Button1->Click();  // and opens it again
  ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  SendFromFarEnd(3, "after");
  ASSERT_TRUE(WaitForFrames(2));
  EXPECT_EQ(Record().Frames()[0].Bytes, "before");
  EXPECT_EQ(Record().Frames()[1].Bytes, "after");
}

TEST_F(LinkMonitorTest, TextRowsAreReadInTheEncodingOfTheirPortsPanel) {
  TCheckBox* hex = Box("16进制");
  hex->Checked = false;
  hex->OnClick(hex);
  DisplayChoices utf8;
  utf8.CodePage = CP_UTF8;
  FeatureOf<PanelDisplay>(0).Set(utf8);
  Tick();
  // 中 in UTF-8 on device 1's port, in GBK on device 2's.
  SendFromFarEnd(3, "\xE4\xB8\xAD");
  ASSERT_TRUE(WaitForFrames(1));
  SendFromFarEnd(4, "\xD6\xD0");
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(TickUntil([&] { return rows->Text().Utf8().find("COM4") != std::string::npos; }));
  const std::string text = rows->Text().Utf8();
  const size_t second = text.find('\n') + 1;
  EXPECT_EQ(text.substr(second - 6, 6), "  \xE4\xB8\xAD\n") << text;
  EXPECT_EQ(text.substr(text.size() - 6), "  \xE4\xB8\xAD\n") << text;
}

TEST_F(LinkMonitorTest, FindIsThePanelsFindBoxOverTheRows) {
  TMenuItem* item = Find<TMenuItem>(monitor, [](TMenuItem* i) { return i->Caption.Get().Utf8() == "查找…"; });
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->ShortCut.Get(), static_cast<TShortCut>(scCtrl | 'F'));
  EXPECT_EQ(Find<TEdit>(monitor, [](TEdit*) { return true; }), GapEdit()) << "no find field of its own";
  SendFromFarEnd(3, "ping");
  ASSERT_TRUE(WaitForFrames(1));
  SendFromFarEnd(4, "pong");
  ASSERT_TRUE(WaitForFrames(2));
  ASSERT_TRUE(TickUntil([&] { return rows->Text().Utf8().find("|pong|") != std::string::npos; }));

  item->Click();
  TFindBox* box = Find<TFindBox>(monitor, [](TFindBox*) { return true; });
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->Visible.Get());
  box->Text = "p.ng";
  EXPECT_EQ(box->Status(), String("无匹配"));
  box->Regex = true;
  EXPECT_EQ(box->Status(), String("第 1 个，共 2 个"));
  box->FindNext();
  EXPECT_EQ(rows->SelText(), String("pong"));
  box->FindNext(true);
  EXPECT_EQ(rows->SelText(), String("ping"));
  box->Close();
  EXPECT_FALSE(box->Visible.Get());
  Button("查找…")->Click();
  EXPECT_TRUE(box->Visible.Get()) << "the bar's button opens the same box";
}

TEST_F(LinkMonitorTest, TheMonitorsChoicesComeBackAfterARestart) {
  TCheckBox* hex = Box("16进制");
  hex->Checked = false;
  hex->OnClick(hex);
  TCheckBox* sends = Box("显示发送");
  sends->Checked = true;
  sends->OnClick(sends);
  Named<TComboBox>("解码")->ItemIndex = 1;
  GapEdit()->Text = "2.5";
  Named<TComboBox>("显示上限")->ItemIndex = 3;
  const MonitorChoices chosen{false, true, true, 2.5, 64};
  EXPECT_EQ(FeatureOf<PanelLinkMonitor>(0).Monitor.Choices(), chosen);

  Restart();  // each change wrote the settings: nothing else saves them
  EXPECT_EQ(FeatureOf<PanelLinkMonitor>(0).Monitor.Choices(), chosen);
  EXPECT_FALSE(Box("16进制")->Checked.Get());
  EXPECT_TRUE(Box("显示发送")->Checked.Get());
  EXPECT_EQ(Named<TComboBox>("解码")->ItemIndex.Get(), 1);
  EXPECT_EQ(GapEdit()->Text.Get().Utf8(), "2.5");
  EXPECT_EQ(Named<TComboBox>("显示上限")->Text.Get().Utf8(), "64 MB");
  EXPECT_EQ(FeatureOf<PanelLinkMonitor>(0).Monitor.Record().FrameGap(0), 25000u) << "the remembered gap is in force";

  // Back to the defaults, remembered as such.
  Box("16进制")->Checked = true;
  Box("16进制")->OnClick(Box("16进制"));
  GapEdit()->Text = "";
  Restart();
  EXPECT_TRUE(FeatureOf<PanelLinkMonitor>(0).Monitor.Choices().Hex);
  EXPECT_EQ(FeatureOf<PanelLinkMonitor>(0).Monitor.Choices().FrameGapMs, 0);
  EXPECT_EQ(GapEdit()->Text.Get().Utf8(), "");
}

TEST_F(LinkMonitorTest, RememberedValuesThatMakeNoSenseAreSkippedOneByOne) {
  const std::string file = SettingsFile::FileName().Utf8();
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::ofstream(file, std::ios::binary) << "[LinkMonitor]\nHex=0\nShowSent=yes\nDecode=Modbus ASCII\n"
                                           "FrameGapMs=inf\nLimitMB=3\n";
  Restart();
  MonitorChoices expected;
  expected.Hex = false;  // the one good value
  EXPECT_EQ(FeatureOf<PanelLinkMonitor>(0).Monitor.Choices(), expected);
  EXPECT_EQ(Named<TComboBox>("显示上限")->Text.Get().Utf8(), "4 MB");

  for (const char* gap : {"-1", "0", "1e3", "nan", "0x10", "60000", "2 ms"}) EXPECT_EQ(FrameGapOfText(gap), 0) << gap;
  EXPECT_EQ(FrameGapOfText(" 1.75 "), 1.75);
  EXPECT_EQ(FrameGapText(1.75), "1.75");
}

}  // namespace

namespace {

// Saving into a pipe whose reader never reads, as a stalled disk behaves:
// the pipe fills, its writer waits, and the window goes on answering,
// recording and showing rows; closing the file does not wait for the pipe
// either.
TEST_F(LinkMonitorTest, SavingOntoAStalledFileNeverHoldsTheWindow) {
  TempFolder folder;
  const std::string path = folder / "link.pcapng";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);  // opened, never read
  ASSERT_GE(reader, 0);
  LinkMonitor& monitor = FeatureOf<PanelLinkMonitor>(0).Monitor;
  ASSERT_TRUE(monitor.SaveTo(String(path)));
  // Far more than a pipe holds (64 KiB), in frames of their own.
  const std::string chunk(4000, 'x');
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 60; ++i) {
    SendFromFarEnd(3, chunk);
    Tick();
  }
  ASSERT_TRUE(WaitForFrames(10));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "the window waited for the file";
  TButton* stop = Button("停止保存");
  ASSERT_NE(stop, nullptr);
  EXPECT_TRUE(ReturnsWithin([&] { stop->Click(); }, std::chrono::seconds(5), [] {}))
      << "stopping the save waited for the file";
  EXPECT_EQ(stop->Caption.Get(), String("保存…"));
  ::close(reader);  // the writer's write ends, and with it the writer
}

}  // namespace
