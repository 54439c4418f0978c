// Find in a panel: the box over the receive area, its keys, and the text it
// searches with and without the whole session kept, in text and in hex.
#include "MainWindowTest.h"

namespace {

class Find : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    CreateWindow();
    OpenPanel(0, 1);
  }
  TLogView* View() { return FeatureOf<PanelWholeSession>(0).View(); }
  TFindBox* Box() { return FeatureOf<PanelFind>(0).Box; }
};

TEST_F(Find, OpensOverTheReceiveAreaAndClosingGivesTheMemoBack) {
  Deliver(1, "I (312) boot: ok\r\nE (400) wifi: fail\r\nI (500) boot: done\r\n");
  FeatureOf<PanelFind>(0).Item->Click();
  EXPECT_TRUE(Box()->Visible.Get());
  EXPECT_TRUE(View()->Visible.Get());
  EXPECT_FALSE(form->Memo1->Visible.Get());
  // Over the view's top right, inside it.
  EXPECT_GE(Box()->Left.Get(), View()->Left.Get());
  EXPECT_LE(Box()->Left.Get() + Box()->Width.Get(), View()->Left.Get() + View()->Width.Get());
  EXPECT_EQ(Box()->Top.Get(), View()->Top.Get() + 2);
  Box()->Text = "boot";
  EXPECT_EQ(Box()->Status(), String("第 1 个，共 2 个"));
  Box()->FindNext();
  EXPECT_EQ(View()->SelText(), String("boot"));
  EXPECT_EQ(Box()->Status(), String("第 2 个，共 2 个"));
  // Text still to come is counted as it comes.
  Deliver(1, "I (600) boot: again\r\n");
  form->ShowReceivedText();
  ProcessMessagesFor(10);
  EXPECT_EQ(Box()->Status(), String("第 2 个，共 3 个"));
  Box()->Close();
  EXPECT_FALSE(Box()->Visible.Get());
  EXPECT_TRUE(form->Memo1->Visible.Get());
  EXPECT_EQ(MemoText(form->Memo1),
            "I (312) boot: ok\r\nE (400) wifi: fail\r\nI (500) boot: done\r\nI (600) boot: again\r\n");
}

TEST_F(Find, InHexModeTheBoxLooksForBytesAndABadTextIsSaidSo) {
  form->RadioButton1->Checked = true;
  Deliver(1, "AB\r\nC\r\n");
  FeatureOf<PanelFind>(0).Open();
  EXPECT_TRUE(Box()->Hex.Get());
  Box()->Text = "0d0a";
  EXPECT_EQ(Box()->Status(), String("第 1 个，共 2 个"));
  Box()->Text = "0d0";
  EXPECT_EQ(Box()->Status(), String("不是十六进制字节"));
  Box()->Hex = false;
  Box()->Regex = true;
  Box()->Text = "(";
  EXPECT_EQ(Box()->Status(), String("表达式无效"));
  Box()->Close();
}

TEST_F(Find, WithTheWholeSessionKeptItSearchesEverythingAndTheViewStays) {
  FeatureOf<PanelWholeSession>(0).Set(true);
  std::string text;
  for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + "\r\n";
  for (std::size_t at = 0; at < text.size(); at += 2048) Deliver(1, text.substr(at, 2048));
  FeatureOf<PanelFind>(0).Open();
  Box()->Text = "line 7";
  EXPECT_EQ(View()->MatchCount(), 11);  // 7 and 70 to 79
  EXPECT_NE(Box()->Status().Utf8().find("共 11 个"), std::string::npos);
  Box()->FindNext(true);
  Box()->FindNext(true);
  EXPECT_EQ(View()->SelText(), String("line 7"));
  Box()->Close();
  EXPECT_TRUE(View()->Visible.Get());
  EXPECT_FALSE(form->Memo1->Visible.Get());
  EXPECT_EQ(View()->MatchCount(), 0);
}

}  // namespace
