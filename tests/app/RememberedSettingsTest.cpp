// Each panel's choices across a restart of the window, and what a missing,
// damaged or nonsensical settings file gives.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../comm/LogRecords.h"
#include "../support/unopened_fifo.h"
#include "MainWindowTest.h"

namespace {

class RememberedSettings : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    for (DWORD port : {1, 2, 3}) AddFarEnd(port);
  }
  static std::string FileName() { return SettingsFile::FileName().Utf8(); }
  static void WriteFile(const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(FileName()).parent_path());
    std::ofstream(FileName(), std::ios::binary) << text;
  }
  void Restart() {
    delete form;
    form = nullptr;
    CreateWindow();
  }
  // Tests run side by side share the log folder; each test's settings file
  // lives in its own temporary folder, so counting records that name it
  // counts only this test's.
  static int DamagedRecords() { return CountLogLines(FileName() + " is damaged"); }
};

TEST_F(RememberedSettings, WithoutAFileThePanelsHaveTheirDefaults) {
  CreateWindow();
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(FeatureOf<PanelTimeStamps>(i).On());
    EXPECT_EQ(FeatureOf<PanelSendOptions>(i).Ending(), LineEnding::None);
    EXPECT_EQ(FeatureOf<PanelSendOptions>(i).AutoPeriodTicks(), 10);
    EXPECT_TRUE(FeatureOf<PanelSendOptions>(i).History().Texts().empty());
    EXPECT_TRUE(FeatureOf<PanelSendOptions>(i).Endings[0]->Checked.Get());
    EXPECT_FALSE(FeatureOf<PanelTimeStamps>(i).Item->Checked.Get());
  }
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM1"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM2"));
  EXPECT_EQ(form->Edit1->Text.Get(), String("12345678"));
  EXPECT_FALSE(std::filesystem::exists(FileName())) << "nothing chosen, nothing written";
}

TEST_F(RememberedSettings, EveryChoiceOfEachPanelComesBackAfterARestart) {
  CreateWindow();
  form->ComboBox1->ItemIndex = 2;  // COM3
  form->ComboBox2->Text = "115200";
  form->ComboBox5->Text = "E (偶)";
  form->ComboBox6->Text = "7";
  form->ComboBox7->Text = "2";
  form->RadioButton2->Checked = true;
  form->CheckBox1->Checked = true;
  form->Edit2->Text = "中文 text";
  FeatureOf<PanelTimeStamps>(1).Set(true);
  FeatureOf<PanelSendOptions>(0).SetLineEnding(LineEnding::CRLF);
  FeatureOf<PanelSendOptions>(1).SetAutoPeriod(25);
  FeatureOf<PanelSendOptions>(0).History().Assign({"one", "two"});
  form->Settings->Save();

  Restart();
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM3"));
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("115200"));
  EXPECT_EQ(form->ComboBox5->Text.Get(), String("E (偶)"));
  EXPECT_EQ(form->ComboBox6->Text.Get(), String("7"));
  EXPECT_EQ(form->ComboBox7->Text.Get(), String("2"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM2"));
  EXPECT_FALSE(form->RadioButton1->Checked.Get());
  EXPECT_TRUE(form->RadioButton2->Checked.Get());
  EXPECT_TRUE(form->CheckBox1->Checked.Get());
  EXPECT_FALSE(form->CheckBox2->Checked.Get());
  EXPECT_EQ(form->Edit1->Text.Get(), String("12345678"));
  EXPECT_EQ(form->Edit2->Text.Get(), String("中文 text"));
  EXPECT_FALSE(FeatureOf<PanelTimeStamps>(0).On());
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(1).On());
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(1).Item->Checked.Get());
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).Ending(), LineEnding::CRLF);
  EXPECT_TRUE(FeatureOf<PanelSendOptions>(0).Endings[3]->Checked.Get());
  EXPECT_EQ(FeatureOf<PanelSendOptions>(1).Ending(), LineEnding::None);
  EXPECT_EQ(FeatureOf<PanelSendOptions>(1).AutoPeriodTicks(), 25);
  EXPECT_EQ(form->CheckBox2->Hint.Get(), String("自动发送周期为2.5秒"));
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).History().Texts(), (std::vector<String>{"one", "two"}));
  EXPECT_TRUE(FeatureOf<PanelSendOptions>(1).History().Texts().empty());
}

TEST_F(RememberedSettings, OpeningAPortAndSendingANewTextAreRememberedAtOnce) {
  CreateWindow();
  form->ComboBox2->Text = "19200";
  OpenPanel(0, 3);
  form->Edit1->Text = "hello";
  form->Button2->Click();
  ReceiveAtFarEnd(3, 5);
  Restart();
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM3"));
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("19200"));
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).History().Texts(), (std::vector<String>{"hello"}));
}

TEST_F(RememberedSettings, ADamagedFileIsIgnoredWithOneLogRecordAndReplacedOnTheNextSave) {
  WriteFile("[Device1]\nBaud=300\nnot a setting\n[Device2\n");
  const int before = DamagedRecords();
  CreateWindow();
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("9600"));
  EXPECT_TRUE(WaitUntil([&] { return DamagedRecords() > before; }));
  EXPECT_TRUE(std::filesystem::exists(FileName() + ".damaged"));
  FeatureOf<PanelSendOptions>(0).SetLineEnding(LineEnding::LF);
  Restart();
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).Ending(), LineEnding::LF);
  EXPECT_EQ(DamagedRecords(), before + 1);
}

// A FIFO nobody writes where the settings file should be: the window comes
// up with its defaults without waiting, the FIFO is moved aside as a
// damaged file is (with the same record), and settings are saved anew.
TEST_F(RememberedSettings, AFifoForTheFileIsMovedAsideWithoutBeingWaitedOn) {
  std::filesystem::create_directories(std::filesystem::path(FileName()).parent_path());
  UnopenedFifo fifo(FileName());
  ASSERT_TRUE(fifo.Made());
  const int before = DamagedRecords();
  EXPECT_TRUE(fifo.ReturnsWithin([&] { CreateWindow(); })) << "the window waited on the FIFO";
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("9600"));
  EXPECT_TRUE(WaitUntil([&] { return DamagedRecords() > before; }));
  EXPECT_TRUE(std::filesystem::is_fifo(FileName() + ".damaged"));
  FeatureOf<PanelSendOptions>(0).SetLineEnding(LineEnding::LF);
  Restart();
  EXPECT_TRUE(std::filesystem::is_regular_file(FileName()));
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).Ending(), LineEnding::LF);
  std::filesystem::remove(FileName() + ".damaged");
}

TEST_F(RememberedSettings, ValuesThatMakeNoSenseAreSkippedOneByOne) {
  std::string history = "[Device1.History]\nCount=1000\n";
  for (int n = 1; n <= 60; ++n) history += std::to_string(n) + "=t" + std::to_string(n) + "\n";
  WriteFile(
      "[Device1]\nPort=COM99\nBaud=fast\nParity=X\nDataBits=9\nStopBits=3\nHex=maybe\n"
      "SendText=" +
      std::string(200, 'a') +
      "\nLineEnding=lfcr\nAutoPeriodMs=150\nTimeStamps=1\n"
      "[Device2]\nAutoPeriodMs=100\n" +
      history);
  CreateWindow();
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM1")) << "a port that is not there now";
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("9600"));
  EXPECT_EQ(form->ComboBox5->Text.Get(), String("N (无)"));
  EXPECT_EQ(form->ComboBox6->Text.Get(), String("8"));
  EXPECT_EQ(form->ComboBox7->Text.Get(), String("1"));
  EXPECT_FALSE(form->RadioButton1->Checked.Get());
  EXPECT_EQ(form->Edit1->Text.Get(), String("12345678")) << "longer than the line takes";
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).Ending(), LineEnding::None);
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).AutoPeriodTicks(), 10);
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(0).On()) << "the sound values of the same panel still apply";
  EXPECT_EQ(FeatureOf<PanelSendOptions>(1).AutoPeriodTicks(), 1);
  ASSERT_EQ(FeatureOf<PanelSendOptions>(0).History().Texts().size(), 50u);
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).History().Texts().back(), String("t50"));
}

}  // namespace
