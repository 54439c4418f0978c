#include "MainWindowTest.h"

namespace {

using StatusTimer = MainWindowTest;

String PanelText(TForm1* form, int index) { return form->StatusBar1->Panels->Items[index]->Text.Get(); }

TEST_F(StatusTimer, TheCounterLineShowsSentAndDeliveredBytesOfTheOpenPort) {
  AddFarEnd(3);
  AddFarEnd(4);
  CreateWindow();
  OpenPanel(0, 3);
  form->Edit1->Text = "0123456789";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(3, 10), "0123456789");
  SendFromFarEnd(3, std::string(25, 'r'));
  ASSERT_TRUE(TickUntil([&] { return form->Channels[0]._dwDelivered.load() == 25; }));

  TickToCounterRefresh();
  EXPECT_EQ(PanelText(form, 1), String("COM3: S:    10 R:    25"));

  // Reopened on another port, the panel keeps its totals.
  form->Button1->Click();
  OpenPanel(0, 4);
  TickToCounterRefresh();
  EXPECT_EQ(PanelText(form, 1), String("COM4: S:    10 R:    25"));
}

TEST_F(StatusTimer, CountersCountOnPast2To31And2To32AndTheLineWidens) {
  AddFarEnd(3);
  CreateWindow();
  OpenPanel(0, 3);
  PanelSentBytes[0] = (1ull << 31) - 5;
  form->Channels[0]._dwDelivered = (1ull << 32) - 10;
  form->Edit1->Text = "0123456789";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(3, 10), "0123456789");
  SendFromFarEnd(3, std::string(25, 'r'));
  ASSERT_TRUE(TickUntil([&] { return form->Channels[0]._dwDelivered.load() == (1ull << 32) + 15; }));
  EXPECT_EQ(PanelSentBytes[0], (1ull << 31) + 5);
  EXPECT_EQ(form->Channels[0]._dwBytesWritten.load(), 10u);

  TickToCounterRefresh();
  EXPECT_EQ(PanelText(form, 1), String("COM3: S:2147483653 R:4294967311"));

  PanelSentBytes[0] = 18446744073709551615ull;  // the widest figure
  TickToCounterRefresh();
  EXPECT_EQ(PanelText(form, 1), String("COM3: S:18446744073709551615 R:4294967311"));
}

TEST_F(StatusTimer, CountersRefreshEveryThirdTickAndAClosedPortKeepsItsLastLine) {
  AddFarEnd(2);
  CreateWindow();
  OpenPanel(1, 2);
  TimerTicks = 1;
  Tick();
  EXPECT_TRUE(PanelText(form, 2).IsEmpty()) << "tick 1 is not a third tick";
  Tick(2);  // ticks 2 and 3
  EXPECT_EQ(PanelText(form, 2), String("COM2: S:     0 R:     0"));
  form->Edit2->Text = "abc";
  form->Button5->Click();
  form->Button6->Click();  // close
  TimerTicks = 6;
  Tick();
  EXPECT_EQ(PanelText(form, 2), String("COM2: S:     0 R:     0"));
}

TEST_F(StatusTimer, TheClockShowsOnTheFirstTickAndThenEveryTenth) {
  CreateWindow();
  Tick();
  const String first = PanelText(form, 0);
  EXPECT_FALSE(first.IsEmpty());
  form->StatusBar1->Panels->Items[0]->Text = "";
  Tick(9);
  EXPECT_TRUE(PanelText(form, 0).IsEmpty());
  Tick();
  EXPECT_FALSE(PanelText(form, 0).IsEmpty());
}

TEST_F(StatusTimer, ATickQueuesOneDeliveryPerOpenPortAndNothingForClosedOnes) {
  AddFarEnd(1);
  AddFarEnd(2);
  CreateWindow();
  OpenPanel(0, 1);
  OpenPanel(1, 2);
  SendFromFarEnd(1, "one");
  SendFromFarEnd(2, "two");
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo1) == "one" && MemoText(form->Memo2) == "two"; }));
  form->Button6->Click();
  SendFromFarEnd(1, "!");
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo1) == "one!"; }));
  EXPECT_EQ(MemoText(form->Memo2), "two");
}

}  // namespace
