// Time stamps in the receive area, as deliveries arrive in text and in hex.
#include <regex>

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

}  // namespace
