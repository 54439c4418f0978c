// The choice to resize the window: off, the window refuses any other size;
// on, the receive areas and send lines take the room, the splitter shares
// the height, and the size, place, state and share come back after a
// restart; off again, the window is as it was.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <functional>
#include <map>

#include "MainWindowTest.h"
#include "ReceiveFrame.h"
#include "control_data.h"

namespace {

struct Bounds {
  int Left, Top, Width, Height;
  bool operator==(const Bounds&) const = default;
};

void PrintTo(const Bounds& b, std::ostream* out) {
  *out << '{' << b.Left << ',' << b.Top << ',' << b.Width << ',' << b.Height << '}';
}

Bounds Of(const TControl* c) { return {c->Left, c->Top, c->Width, c->Height}; }

// Every control of the window, by its place among the window's components.
std::map<int, Bounds> AllBounds(TForm1* form) {
  std::map<int, Bounds> all;
  for (int i = 0; i < form->ComponentCount; ++i)
    if (auto* control = dynamic_cast<TControl*>(form->Components.Get(i))) all[i] = Of(control);
  return all;
}

class ResizableWindow : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    AddFarEnd(2);
  }
  void Restart() {
    delete form;
    form = nullptr;
    CreateWindow();
    form->Show();
    ProcessMessagesFor(20);
  }
  // Resizes the window as a user's drag would.
  void DragTo(int width, int height) {
    ControlAccess::Widget(form)->resize(width, height);
    ProcessMessagesFor(20);
  }
  ::ResizableWindow& Choice() { return *form->Resizing; }
};

TEST_F(ResizableWindow, OffTheWindowRefusesAnySizeAndTheChoiceSaysOff) {
  CreateWindow();
  form->Show();
  ProcessMessagesFor(20);
  EXPECT_FALSE(Choice().On());
  EXPECT_FALSE(Choice().SystemMenuItem->Checked.Get());
  EXPECT_FALSE(MenuItem(form->GroupBox1, "可调整窗口大小")->Checked.Get());
  DragTo(1200, 700);
  EXPECT_EQ(form->ClientWidth.Get(), 848);
  EXPECT_EQ(form->ClientHeight.Get(), 419);
  EXPECT_EQ(form->BorderIcons.Get(), static_cast<TBorderIcons>(biSystemMenu | biMinimize));
  EXPECT_EQ(form->Resizing->Splitter, nullptr) << "nothing added to the window while off";
}

TEST_F(ResizableWindow, OnTheReceiveAreasAndSendLinesTakeTheRoomAndTheRestKeepTheirPlaces) {
  CreateWindow();
  form->Show();
  ProcessMessagesFor(20);
  const std::map<int, Bounds> designed = AllBounds(form);
  const Bounds settings[] = {Of(form->ComboBox1), Of(form->ComboBox7), Of(form->Label11), Of(form->ComboBox10)};
  MenuItem(form->GroupBox2, "可调整窗口大小")->Click();
  ASSERT_TRUE(Choice().On());
  EXPECT_TRUE(Choice().SystemMenuItem->Checked.Get());
  EXPECT_TRUE(MenuItem(form->GroupBox1, "可调整窗口大小")->Checked.Get());
  EXPECT_EQ(form->BorderStyle.Get(), bsSizeable);
  EXPECT_TRUE(form->BorderIcons.Get() & biMaximize);
  DragTo(848 + 400, 419 + 300);

  // The panels share the 300 pixels gained in height half and half.
  EXPECT_EQ(Of(form->GroupBox1), (Bounds{0, 31, 841 + 400, 180 + 150}));
  EXPECT_EQ(Of(form->GroupBox2), (Bounds{0, 31 + 330 + 5, 841 + 400, 180 + 150}));
  EXPECT_EQ(Of(form->Memo1), (Bounds{137, 13, 696 + 400, 125 + 150}));
  EXPECT_EQ(Of(form->Memo2), (Bounds{136, 10, 697 + 400, 125 + 150}));
  EXPECT_EQ(Of(form->Edit1), (Bounds{443, 147 + 150, 390 + 400, 21}));
  EXPECT_EQ(Of(form->Edit2), (Bounds{441, 146 + 150, 392 + 400, 21}));
  // The buttons below the receive area stay beside the send line, the
  // settings on the left stay where they were.
  EXPECT_EQ(Of(form->Button1), (Bounds{139, 145 + 150, 50, 25}));
  EXPECT_EQ(Of(form->CheckBox2), (Bounds{393, 148 + 150, 45, 17}));
  EXPECT_EQ(Of(form->ComboBox1), settings[0]);
  EXPECT_EQ(Of(form->ComboBox7), settings[1]);
  EXPECT_EQ(Of(form->Label11), settings[2]);
  EXPECT_EQ(Of(form->ComboBox10), settings[3]);
  EXPECT_EQ(Of(form->StatusBar1), (Bounds{0, 419 + 300 - 19, 848 + 400, 19}));

  // Off again: the designed window exactly, whatever happened meanwhile.
  PressKeyForTesting(Choice().Splitter, VK_NEXT);
  Choice().SystemMenuItem->Click();
  ProcessMessagesFor(20);
  EXPECT_FALSE(Choice().On());
  EXPECT_EQ(form->ClientWidth.Get(), 848);
  EXPECT_EQ(form->ClientHeight.Get(), 419);
  EXPECT_EQ(form->BorderStyle.Get(), bsSingle);
  EXPECT_EQ(form->BorderIcons.Get(), static_cast<TBorderIcons>(biSystemMenu | biMinimize));
  EXPECT_EQ(form->Position.Get(), poScreenCenter);
  EXPECT_FALSE(Choice().Splitter->Visible.Get());
  std::map<int, Bounds> now = AllBounds(form);
  for (const auto& [index, bounds] : designed)
    EXPECT_EQ(now[index], bounds) << form->Components.Get(index)->Name.Utf8();
}

TEST_F(ResizableWindow, TheSplitterSharesTheHeightWithinLimitsByKeys) {
  CreateWindow();
  form->Show();
  Choice().Set(true);
  DragTo(848, 419 + 200);
  TSplitter* splitter = Choice().Splitter;
  ASSERT_NE(splitter, nullptr);
  const int upper = form->GroupBox1->Height;
  PressKeyForTesting(splitter, VK_DOWN);
  EXPECT_EQ(form->GroupBox1->Height.Get(), upper + 8);
  EXPECT_EQ(form->GroupBox2->Top.Get(), splitter->Top.Get() + splitter->Height.Get());
  EXPECT_EQ(form->GroupBox2->Top.Get() + form->GroupBox2->Height.Get(), 419 + 200 - 19 - 4)
      << "the lower panel ends where it did, above the status bar";
  // Neither panel gets less than its designed height.
  PressKeyForTesting(splitter, VK_HOME);
  EXPECT_EQ(form->GroupBox1->Height.Get(), 180);
  PressKeyForTesting(splitter, VK_END);
  EXPECT_EQ(form->GroupBox2->Height.Get(), 180);
  // The share holds as the window grows: the lower panel keeps taking
  // nothing beyond its smallest height but its part of the room.
  DragTo(848, 419 + 400);
  EXPECT_GT(form->GroupBox2->Height.Get(), 180);
  EXPECT_LT(form->GroupBox2->Height.Get(), form->GroupBox1->Height.Get());
}

// A larger window draws more text in each frame: text that keeps coming is
// shown less often, in proportion to the area, never less often than the
// window's tick of a tenth of a second.
TEST_F(ResizableWindow, AScreenSizedWindowFollowsStreamingTextAtTheWindowsTick) {
  CreateWindow();
  form->Show();
  OpenPanel(0, 1);
  ReceiveFrame& frame = *form->ScreenFrame;
  EXPECT_EQ(frame.FrameMs(form->ClientWidth, form->ClientHeight), 33u);
  Choice().Set(true);
  DragTo(848 + 400, 419 + 300);
  EXPECT_EQ(frame.FrameMs(form->ClientWidth, form->ClientHeight), 83u);
  DragTo(1920, 1080);
  EXPECT_EQ(frame.FrameMs(form->ClientWidth, form->ClientHeight), 100u);

  int frames = 0;
  const std::function<void()> show = frame.OnFrame;
  frame.OnFrame = [&] {
    ++frames;
    show();
  };
  for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 1000;) {
    Post(1, "streaming\r\n");
    ProcessMessagesFor(5);
  }
  EXPECT_GE(frames, 1);
  EXPECT_LE(frames, 11);
  EXPECT_NE(MemoText(form->Memo1).find("streaming"), std::string::npos);
}

TEST_F(ResizableWindow, TheChoiceSizePlaceStateAndShareComeBackAfterARestart) {
  CreateWindow();
  form->Show();
  Choice().Set(true);
  DragTo(1000, 600);
  form->Left = 30;
  form->Top = 40;
  PressKeyForTesting(Choice().Splitter, VK_PRIOR);
  const int share = Choice().PanelShare();
  const int upper = form->GroupBox1->Height;
  EXPECT_LT(share, 500);
  form->Settings->Save();

  Restart();
  EXPECT_TRUE(Choice().On());
  EXPECT_TRUE(Choice().SystemMenuItem->Checked.Get());
  EXPECT_EQ(form->ClientWidth.Get(), 1000);
  EXPECT_EQ(form->ClientHeight.Get(), 600);
  // Where it was, as far as the screen lets the whole window be seen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(form->Left.Get(), std::max(screen.left(), std::min(30, screen.right() + 1 - form->Width)));
  EXPECT_EQ(form->Top.Get(), std::max(screen.top(), std::min(40, screen.bottom() + 1 - form->Height)));
  EXPECT_EQ(Choice().PanelShare(), share);
  EXPECT_EQ(form->GroupBox1->Height.Get(), upper);

  // Maximised is remembered, with the size to go back to.
  form->WindowState = wsMaximized;
  ProcessMessagesUntil([&] { return form->WindowState.Get() == wsMaximized; }, 2000);
  form->Settings->Save();
  Restart();
  ProcessMessagesUntil([&] { return form->WindowState.Get() == wsMaximized; }, 2000);
  EXPECT_EQ(form->WindowState.Get(), wsMaximized);
  EXPECT_EQ(form->RestoredClientWidth.Get(), 1000);

  // Off, nothing of it applies, and it is there again when turned on.
  Choice().Set(false);
  form->Settings->Save();
  Restart();
  EXPECT_FALSE(Choice().On());
  EXPECT_EQ(form->ClientWidth.Get(), 848);
  EXPECT_EQ(form->WindowState.Get(), wsNormal);
}

TEST_F(ResizableWindow, SizesBeyondReasonInTheFileAreNotTaken) {
  CreateWindow();
  delete form;
  form = nullptr;
  TIniFile ini(SettingsFile::FileName());
  ini.WriteBool("Window", "Resizable", true);
  ini.WriteInteger("Window", "ClientWidth", 100);  // smaller than the designed window
  ini.WriteInteger("Window", "ClientHeight", 99999);
  ini.WriteInteger("Window", "Left", -40000);  // on no screen
  ini.WriteInteger("Window", "Top", 90000);
  ini.WriteInteger("Window", "PanelShare", -7);
  ASSERT_TRUE(ini.UpdateFile());
  Restart();
  EXPECT_TRUE(Choice().On());
  EXPECT_EQ(form->ClientWidth.Get(), 848);
  EXPECT_EQ(form->ClientHeight.Get(), 419);
  EXPECT_EQ(Choice().PanelShare(), 500);
  EXPECT_GE(form->Left.Get(), 0);
  EXPECT_GE(form->Top.Get(), 0);
  EXPECT_LT(form->Top.Get(), 2000);
}

}  // namespace
