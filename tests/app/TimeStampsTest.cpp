// Time stamps in the receive area, as deliveries arrive in text and in hex.
#include <chrono>
#include <regex>
#include <thread>

#include "MainWindowTest.h"

namespace {

class TimeStamps : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    AddFarEnd(2);
    CreateWindow();
    OpenPanel(0, 1);
    OpenPanel(1, 2);
  }
  // The memo's text with every stamp replaced by "[T] ", after checking
  // that each has the form [HH:MM:SS.mmm].
  std::string Stamps(TMemo* memo) const {
    const std::string text = MemoText(memo);
    static const std::regex stamp(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] )");
    return std::regex_replace(text, stamp, "[T] ");
  }
};

TEST_F(TimeStamps, EachLineStartsWithAStampAndOnlyThereAlsoWhenALineSpansTwoDeliveries) {
  FeatureOf<PanelTimeStamps>(0).Item->Click();
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(0).Item->Checked.Get());
  Deliver(1, "one\r\ntw");
  Deliver(1, "o\r\nthree");
  Deliver(1, "\r\n");
  EXPECT_EQ(Stamps(form->Memo1), "[T] one\r\n[T] two\r\n[T] three\r\n");
  Deliver(1, "\n");  // a lone line feed starts an empty line
  EXPECT_EQ(Stamps(form->Memo1), "[T] one\r\n[T] two\r\n[T] three\r\n[T] \r\n");

  // Device 2 has its own switch, still off.
  Deliver(2, "plain\r\n");
  EXPECT_EQ(MemoText(form->Memo2), "plain\r\n");
}

TEST_F(TimeStamps, InHexEachDeliveryStartsALineWithItsStamp) {
  FeatureOf<PanelTimeStamps>(1).Set(true);
  form->RadioButton2->Checked = true;
  Deliver(2, "AB");
  Deliver(2, "\r\n");
  EXPECT_EQ(Stamps(form->Memo2), "[T] 41 42 \r\n[T] 0D 0A ");
  // Back to text: the text starts a line of its own.
  form->RadioButton2->Checked = false;
  Deliver(2, "ok");
  EXPECT_EQ(Stamps(form->Memo2), "[T] 41 42 \r\n[T] 0D 0A \r\n[T] ok");
}

TEST_F(TimeStamps, ClearingOrSwitchingThemOnMidLineKeepsStampsAtLineStarts) {
  Deliver(1, "before, half");
  FeatureOf<PanelTimeStamps>(0).Set(true);
  Deliver(1, " a line\r\nnext");
  EXPECT_EQ(Stamps(form->Memo1), "before, half a line\r\n[T] next");
  form->Button4->Click();
  Deliver(1, "fresh");
  EXPECT_EQ(Stamps(form->Memo1), "[T] fresh");
  // Off again: nothing more is stamped.
  FeatureOf<PanelTimeStamps>(0).Item->Click();
  Deliver(1, "\r\nlast");
  EXPECT_EQ(Stamps(form->Memo1), "[T] fresh\r\nlast");
}

// Milliseconds since midnight in a stamp "[HH:MM:SS.mmm] ".
int StampMs(const std::string& Text, size_t At) {
  const auto number = [&](size_t from, size_t digits) { return std::stoi(Text.substr(At + from, digits)); };
  return ((number(1, 2) * 60 + number(4, 2)) * 60 + number(7, 2)) * 1000 + number(10, 3);
}

int LocalMsNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
}

TEST_F(TimeStamps, EachLineIsStampedWithItsFirstBytesArrivalNotItsDelivery) {
  FeatureOf<PanelTimeStamps>(0).Set(true);
  Tick();
  const int start = LocalMsNow();
  {
    // A busy machine: the panel's reader is held off while a sensor prints
    // three lines 20 ms apart, which then reach the window together.
    InnerLocker hold(&form->Channels[0]._Lock);
    for (const char* line : {"t=21.5\r\n", "t=21.6\r\n", "t=21.7\r\n"}) {
      SendFromFarEnd(1, line);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo1).find("21.7") != std::string::npos; }));
  const std::string text = MemoText(form->Memo1);
  ASSERT_EQ(Stamps(form->Memo1), "[T] t=21.5\r\n[T] t=21.6\r\n[T] t=21.7\r\n");
  const size_t second = text.find("\n") + 1, third = text.find("\n", second) + 1;
  const int one = StampMs(text, 0), two = StampMs(text, second), three = StampMs(text, third);
  if (three < one) GTEST_SKIP() << "midnight passed";
  EXPECT_GE(one, start);
  EXPECT_GE(two - one, 15) << text;
  EXPECT_GE(three - two, 15) << text;
  EXPECT_LT(three, LocalMsNow() - 80) << "the arrival's time, not the delivery's: " << text;

  // In hex, a delivery's stamp is its first byte's arrival.
  form->RadioButton1->Checked = true;
  form->Button4->Click();
  {
    InnerLocker hold(&form->Channels[0]._Lock);
    SendFromFarEnd(1, "AB");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo1).find("41 42") != std::string::npos; }));
  const int arrived = StampMs(MemoText(form->Memo1), MemoText(form->Memo1).find('['));
  EXPECT_LT(arrived, LocalMsNow() - 100) << MemoText(form->Memo1);
}

}  // namespace
