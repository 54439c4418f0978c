// Scripts run from the script window against both panels, their ports on
// pseudo-terminals: sends through the panel's path, expects on what the
// port receives, errors with their line, a stop that ends a waiting expect,
// and a port that goes away or is closed under a running script.
#include <QAccessible>
#include <QWidget>

#include <chrono>
#include <thread>

#include "MainWindowTest.h"
#include "PanelScripts.h"
#include "ScriptFile.h"
#include "ScriptWindow.h"
#include "control_data.h"

namespace {

class ScriptInWindow : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    AddFarEnd(2);
    CreateWindow();
    OpenPanel(0, 1);
    OpenPanel(1, 2);
    Host().ShowWindow();
  }
  void TearDown() override {
    Host().Stop();
    TickUntil([&] { return !Host().Running(); }, 5000);
    MainWindowTest::TearDown();
  }

  ScriptHost& Host() { return FeatureOf<PanelScripts>(0).Host; }
  ScriptWindow& Window() { return *Host().Window(); }
  std::string Output() { return Window().OutputPane->Text.Get().Utf8(); }

  void Start(const std::string& text) {
    String why;
    ASSERT_TRUE(Host().Start(ScriptOf(text, "/tmp/test.lua"), false, why)) << why.Utf8();
  }
  // Ticks until the run has ended; false when it did not within the time.
  bool Ended(int timeoutMs = 10000) {
    return TickUntil([&] { return !Host().Running(); }, timeoutMs);
  }
  const ScriptRun& Run() { return *Host().LastRun(); }
  // What arrives at the far end of COM<port>, ticking the window meanwhile
  // (the script's sends are made on the window thread).
  std::string FarEndGets(DWORD port, size_t count) {
    std::string got;
    TickUntil([&] {
      got += ReceiveAtFarEnd(port, count - got.size(), std::chrono::milliseconds(0));
      return got.size() >= count;
    });
    return got;
  }
};

TEST_F(ScriptInWindow, SendsThroughThePanelAndExpectsAnAnswerSplitInsideThePattern) {
  Start(
      "send(1, 'AT\\r')\n"
      "local m, before = expect(1, 'OK\\r\\n', 5000)\n"
      "if not m then fail('no OK') end\n"
      "print('before=[' .. before .. ']')\n"
      "local s, r = counters(1)\n"
      "print('S=' .. s)\n");
  EXPECT_EQ(FarEndGets(1, 3), "AT\r");
  SendFromFarEnd(1, "noise O");
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // two deliveries, split in the pattern
  Tick();
  EXPECT_TRUE(Host().Running());
  SendFromFarEnd(1, "K\r\n");
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Run().Status(), 0) << Output();
  EXPECT_NE(Output().find("before=[noise ]"), std::string::npos) << Output();
  EXPECT_NE(Output().find("S=3"), std::string::npos) << Output();
  // The panel showed both what went and what came, as for the user.
  EXPECT_EQ(PanelSentBytes[0], 3u);
  EXPECT_TRUE(TickUntil([&] { return MemoText(form->Memo1).find("noise OK") != std::string::npos; }));
}

TEST_F(ScriptInWindow, AnExpectThatTimesOutGivesNilAndWhatCameAndFailSetsStatusOne) {
  Start(
      "sleep(100)\n"
      "local m, before = expect(2, 'never', 1500)\n"
      "print(tostring(m) .. '|' .. before)\n"
      "if not m then fail('timed out') end\n");
  const auto start = std::chrono::steady_clock::now();
  // A run hears what comes once it has begun.
  SendFromFarEnd(2, "partial");
  ASSERT_TRUE(Ended());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  EXPECT_EQ(Run().Status(), 1);
  EXPECT_EQ(Run().HowEnded(), ScriptRun::Outcome::Exited);
  EXPECT_NE(Output().find("nil|partial"), std::string::npos) << Output();
  EXPECT_NE(Output().find("test.lua:4: "), std::string::npos) << Output();
}

TEST_F(ScriptInWindow, ARegularExpressionMatchesOverLineBreaksAndReturnsItsCaptures) {
  Start(
      "local m, before, v = expect_regex(2, [[volt=(\\d+)\\r\\n(?s:.*)END]], 5000)\n"
      "print(before .. '|' .. tostring(v))\n");
  SendFromFarEnd(2, "hello volt=12\r\nline\r\nEND tail");
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Run().Status(), 0) << Output();
  EXPECT_NE(Output().find("hello |12"), std::string::npos) << Output();
}

TEST_F(ScriptInWindow, AnErrorNamesItsLineAndTheCaretGoesThere) {
  Window().Editor->Text = "print('one')\n\nlocal x = nil + 1\n";
  Window().Run();
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Run().Status(), 2);
  EXPECT_EQ(Run().HowEnded(), ScriptRun::Outcome::Error);
  EXPECT_EQ(Run().ErrorLine(), 3);
  EXPECT_EQ(Output().rfind("one", 0), 0u) << Output();
  EXPECT_NE(Output().find("untitled.lua:3: "), std::string::npos) << Output();
  // A call given a wrong argument fails at its own line too.
  Start("\n\nsend(3, 'x')\n");
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Run().ErrorLine(), 3) << Output();
  // As does a syntax error, before anything runs.
  Start("print('never')\nif then\n");
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Run().ErrorLine(), 2) << Output();
  EXPECT_EQ(Output().find("never"), std::string::npos) << Output();
}

TEST_F(ScriptInWindow, StopEndsAWaitingExpectAtOnceAndALoopThatCatchesErrors) {
  Start("expect(1, 'never', 60000)\n");
  ASSERT_TRUE(TickUntil([&] { return Window().StopButton->Enabled.Get(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto stopped = std::chrono::steady_clock::now();
  Window().StopButton->Click();
  ASSERT_TRUE(Ended(2000));
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(500));
  EXPECT_EQ(Run().HowEnded(), ScriptRun::Outcome::Stopped);
  EXPECT_EQ(Run().Status(), 2);
  // Lua code that never calls ours, and swallows every error, stops too.
  Start("while true do pcall(function() local t = {} end) end\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Host().Stop();
  ASSERT_TRUE(Ended(2000));
  EXPECT_EQ(Run().HowEnded(), ScriptRun::Outcome::Stopped);
}

TEST_F(ScriptInWindow, APortLostUnderAWaitingExpectFailsItWithAClearError) {
  Start("expect(1, 'never', 60000)\n");
  ASSERT_TRUE(TickUntil([&] { return Host().Running(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  HangUpFarEnd(1);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Run().Status(), 2);
  EXPECT_EQ(Run().ErrorLine(), 1);
  EXPECT_NE(Output().find("断开"), std::string::npos) << Output();
}

TEST_F(ScriptInWindow, APortClosedByTheUserFailsTheScriptsNextCallOnIt) {
  Start(
      "sleep(300)\n"
      "local ok, why = pcall(send, 2, 'x')\n"
      "print(why)\n"
      "send(2, 'y')\n"
      "print('after')\n");
  ASSERT_TRUE(TickUntil([&] { return Host().Running(); }));
  form->Button6->Click();  // device 2's Close
  ASSERT_TRUE(Ended());
  EXPECT_NE(Output().find("被关闭了"), std::string::npos) << Output();
  // Told once; the next call finds the port closed.
  EXPECT_NE(Output().find("没有打开"), std::string::npos) << Output();
  EXPECT_EQ(Output().find("after"), std::string::npos) << Output();
  EXPECT_EQ(Run().ErrorLine(), 4);
  EXPECT_TRUE(NothingArrivesAtFarEnd(2));
}

}  // namespace

namespace {

TEST_F(ScriptInWindow, TheWindowShowsItsStatusNamesWhatItHoldsAndEscapePutsItAway) {
  ProcessMessagesFor(20);
  QWidget* window = ControlAccess::Widget(Window().Form);
  ASSERT_TRUE(window->isVisible());
  // The status line has room for its text, along the bottom.
  EXPECT_GE(Window().Status->Height.Get(), 16);
  EXPECT_EQ(Window().Status->Top + Window().Status->Height, Window().Form->ClientHeight.Get());
  // Every control a user reaches speaks a name.
  for (TWinControl* control :
       {static_cast<TWinControl*>(Window().Editor), static_cast<TWinControl*>(Window().OutputPane),
        static_cast<TWinControl*>(Window().RecentBox), static_cast<TWinControl*>(Window().RunButton),
        static_cast<TWinControl*>(Window().StopButton)}) {
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(ControlAccess::Widget(control));
    ASSERT_NE(node, nullptr);
    EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << control->Name.Utf8();
  }
  // Escape from the editor puts the window away and keeps what was typed.
  Window().Editor->Text = "print('kept')";
  PressKeyForTesting(Window().Editor, VK_ESCAPE);
  ProcessMessagesFor(20);
  EXPECT_FALSE(window->isVisible());
  Host().ShowWindow();
  EXPECT_EQ(Window().Editor->Text.Get(), String("print('kept')"));
}

}  // namespace
