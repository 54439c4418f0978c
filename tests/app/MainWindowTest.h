// The main window on Qt's offscreen platform, with its ports on
// pseudo-terminals. Dialogs are answered without a person and recorded; the
// timer is stopped so that tests tick it themselves.
#pragma once

#include <toolkit/testing.h>
#include <toolkit/toolkit.h>

#include <string>

#include "PanelCapture.h"
#include "PanelDisplay.h"
#include "PanelFileSend.h"
#include "PanelFind.h"
#include "PanelLanguage.h"
#include "PanelLineControl.h"
#include "PanelLinkMonitor.h"
#include "PanelModemLines.h"
#include "PanelNetworkPorts.h"
#include "PanelPlotter.h"
#include "PanelQuickSends.h"
#include "PanelSendOptions.h"
#include "PanelShortcuts.h"
#include "PanelTimeStamps.h"
#include "PanelWholeSession.h"
#include "Unit1.h"
#include "serial_port_test.h"

class MainWindowTest : public SerialPortTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the window as start-up does; make the test's ports first, since
  // the port lists are filled at creation.
  TForm1* CreateWindow();
  // One timer tick, as Timer1 would raise it.
  void Tick(int count = 1);
  // One tick on a count that is a multiple of three: the one on which the
  // counter panels refresh.
  void TickToCounterRefresh() {
    while (TimerTicks % 3 != 0) ++TimerTicks;
    Tick();
  }
  // Ticks until the condition holds (deliveries need ticks); false on
  // time-out.
  bool TickUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
  // Opens panel Index on COM<port> with the panel's other settings as they
  // are.
  void OpenPanel(int Index, int port);
  // Makes COM1 and the window, and opens device 1's panel on COM1 with each
  // row of kRefusedLineSettings: each time one message names the cause, and
  // the port and the panel stay closed. `afterEach` checks more after each.
  void OpenWithEachRefusedSetting(const std::function<void()>& afterEach = {});
  // Makes COM1 and the window, and opens COM1 in both panels: device 2's
  // panel is refused, with the message that says why, and stays closed.
  void OpenCom1InBothPanels();
  // Hands a received block to the window as the channel's message would,
  // from the given channel when one is named, and brings the memos up to
  // date.
  void Deliver(int port, const std::string& bytes, const ReadData* channel = nullptr, DWORD opening = 1,
               bool last = false);
  // Hands the block over without bringing the memos up to date.
  void Post(int port, const std::string& bytes, const ReadData* channel = nullptr, DWORD opening = 1,
            bool last = false);

  // The item of the control's context menu whose caption starts with
  // Caption; null when there is none.
  static TMenuItem* MenuItem(TControl* control, const std::string& caption);
  // What the memo shows once brought up to date (it otherwise follows at
  // the next frame in which the window is seen).
  std::string MemoText(TMemo* memo) const {
    if (form != nullptr) form->ShowReceivedText();
    return memo->Text.Get().Utf8();
  }
  // What the memo's widget holds at this moment.
  static std::string WidgetText(TMemo* memo) { return memo->Text.Get().Utf8(); }
  // Each control shown that is not wholly inside its panel, each panel not
  // wholly between the banner and the status bar, and a status bar not
  // along the bottom; empty when the window is laid out right.
  static std::vector<std::string> MisplacedControls(TForm1* form);
  static std::vector<ShownDialog> Dialogs() { return ShownDialogsForTesting(); }
  // The feature of that class registered with panel Index.
  template <class Feature>
  Feature& FeatureOf(int Index) const {
    Feature* feature = form->Panels[Index]->Find<Feature>();
    EXPECT_NE(feature, nullptr);
    return *feature;
  }

  TForm1* form = nullptr;
};

// The window with device 1's panel open on COM1.
class FirstPanelOpenTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    CreateWindow();
    OpenPanel(0, 1);
    ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  }
};

// Shows toolkit strings as text in test failures.
inline void PrintTo(const String& text, std::ostream* out) { *out << '"' << text.Utf8() << '"'; }
