// Saved setups: saved and loaded into a fresh settings folder they give the
// same panels; a bad file is refused with its line and changes nothing; a
// setup whose port is missing says so and leaves that panel closed.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "MainWindowTest.h"

namespace {

class SavedSetupsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    for (DWORD port : {1, 2, 3}) AddFarEnd(port);
    CreateWindow();
    setup =
        (std::filesystem::path(SettingsFile::FileName().Utf8()).parent_path().parent_path() / "my setup.ini").string();
  }
  // A window started again with an empty settings folder.
  void StartAfresh() {
    delete form;
    form = nullptr;
    std::filesystem::remove(SettingsFile::FileName().Utf8());
    CreateWindow();
  }
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string setup;
};

TEST_F(SavedSetupsTest, ASavedSetupLoadedIntoAFreshSettingsFolderGivesTheSamePanels) {
  form->ComboBox1->Text = "COM3";
  form->ComboBox2->Text = "115200";
  form->ComboBox5->ItemIndex = 2;
  form->Edit2->Text = "AT+GMR";
  FeatureOf<PanelTimeStamps>(1).Set(true);
  FeatureOf<PanelSendOptions>(0).History().Add("hello");
  ASSERT_TRUE(form->Setups->Save(setup.c_str()));
  ProcessMessagesUntil([&] { return !Read(setup).empty(); }, 5000);

  StartAfresh();
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("9600"));
  ASSERT_TRUE(form->Setups->Load(setup.c_str()));
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM3"));
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("115200"));
  EXPECT_EQ(form->ComboBox5->Text.Get(), String("E (偶)"));
  EXPECT_EQ(form->Edit2->Text.Get(), String("AT+GMR"));
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(1).On());
  EXPECT_FALSE(FeatureOf<PanelTimeStamps>(0).On());
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).History().Texts().size(), 1u);
  // The setup is the settings from now on, and its file was only read.
  EXPECT_NE(Read(SettingsFile::FileName().Utf8()).find("115200"), std::string::npos);
  EXPECT_TRUE(Dialogs().empty()) << Dialogs().front().Text.Utf8();
}

TEST_F(SavedSetupsTest, ABadFileIsRefusedWithItsLineAndTheSettingsStayAsTheyWere) {
  form->ComboBox2->Text = "38400";
  std::ofstream(setup, std::ios::binary) << "[Device1]\nBaud=115200\nPort COM3\n";
  EXPECT_FALSE(form->Setups->Load(setup.c_str()));
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("第 3 行"), std::string::npos) << Dialogs()[0].Text.Utf8();
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("38400"));
  EXPECT_EQ(Read(setup), "[Device1]\nBaud=115200\nPort COM3\n") << "the user's file is left as it was";

  EXPECT_FALSE(form->Setups->Load((setup + ".missing").c_str()));
  EXPECT_EQ(Dialogs().size(), 2u);
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("38400"));
}

TEST_F(SavedSetupsTest, ASetupWhosePortIsMissingSaysSoAndLeavesThatPanelClosed) {
  OpenPanel(0, 1);
  ASSERT_TRUE(form->Panels[0]->PortOpen());
  std::ofstream(setup, std::ios::binary) << "[Device1]\nPort=COM9\nBaud=19200\n[Device2]\nPort=COM2\n";
  ASSERT_TRUE(form->Setups->Load(setup.c_str()));
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("COM9"), std::string::npos);
  EXPECT_FALSE(form->Panels[0]->PortOpen());
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("19200"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM2"));
}

}  // namespace
