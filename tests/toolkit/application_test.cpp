// The application object: the standard error display, the boundary that
// keeps handlers' exceptions out of Qt, form creation and closing.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "control_data.h"
#include "toolkit/dialogs.h"
#include "toolkit/ext_controls.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"
#include "toolkit/testing.h"

namespace {

class ApplicationTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearShownDialogsForTesting();
    Application->Title = "Kestrix";
  }
  static ShownDialog OnlyDialog() {
    std::vector<ShownDialog> shown = ShownDialogsForTesting();
    EXPECT_EQ(shown.size(), 1u);
    return shown.empty() ? ShownDialog{} : shown[0];
  }
};

TEST_F(ApplicationTest, ShowExceptionAppendsAPeriodOnlyAfterCharactersSortingAfterIt) {
  struct Case {
    const char* message;
    const char* shown;
  } cases[] = {
      {"'COM' is not a valid integer value", "'COM' is not a valid integer value."},
      {"Done.", "Done."},
      {"Failed!", "Failed!"},     // '!' sorts before '.'
      {"Wait ", "Wait "},         // so does the blank
      {"code 3", "code 3."},      // digits sort after
      {"打开失败", "打开失败."},  // and so does Chinese
      {"", ""},
  };
  for (const Case& c : cases) {
    ClearShownDialogsForTesting();
    Exception e(c.message);
    Application->ShowException(&e);
    ShownDialog shown = OnlyDialog();
    EXPECT_EQ(shown.Text, String(c.shown)) << c.message;
    EXPECT_EQ(shown.Caption, String("Kestrix"));
    EXPECT_EQ(shown.Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  }
}

TEST_F(ApplicationTest, AnExceptionInAClickHandlerIsShownAndDoesNotEscape) {
  TForm form(nullptr);
  auto* button = new TButton(&form);
  button->Parent = &form;
  int clicks = 0;
  button->OnClick = [&](TObject*) {
    ++clicks;
    StrToInt("COM");
  };
  ControlAccess::WidgetAs<QPushButton>(button)->click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(OnlyDialog().Text, String("'COM' is not a valid integer value."));

  // The program carries on: the next click runs again.
  ClearShownDialogsForTesting();
  button->OnClick = [&](TObject*) { throw 42; };
  ControlAccess::WidgetAs<QPushButton>(button)->click();
  EXPECT_EQ(OnlyDialog().Text, String(""));

  ClearShownDialogsForTesting();
  button->OnClick = [&](TObject*) { throw std::runtime_error("bad state"); };
  ControlAccess::WidgetAs<QPushButton>(button)->click();
  EXPECT_EQ(OnlyDialog().Text, String("bad state."));

  // Click() called by the program hands the exception to the caller.
  EXPECT_THROW(button->Click(), std::runtime_error);
}

TEST_F(ApplicationTest, ExceptionsFromTimersAndPostedMessagesAreShownToo) {
  TForm form(nullptr);
  TTimer timer(nullptr);
  timer.Interval = 10;
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 1) throw Exception("tick");
  };
  ASSERT_TRUE(ProcessMessagesUntil([&] { return ticks >= 2; }));
  timer.Enabled = false;
  EXPECT_EQ(ShownDialogsForTesting().at(0).Text, String("tick."));

  class ThrowingForm : public TForm {
   public:
    using TForm::TForm;
    void Dispatch(TMessage& Message) override {
      if (Message.Msg == WM_USER) throw Exception("dispatch");
      TForm::Dispatch(Message);
    }
  } throwing(nullptr);
  ClearShownDialogsForTesting();
  ASSERT_TRUE(PostMessageA(throwing.Handle, WM_USER, 0, 0));
  ASSERT_TRUE(ProcessMessagesUntil([] { return !ShownDialogsForTesting().empty(); }));
  EXPECT_EQ(OnlyDialog().Text, String("dispatch."));
}

class CreatedForm : public TForm {
 public:
  explicit CreatedForm(TComponent* owner) : TForm(owner) {
    OnCreate = [this](TObject* sender) {
      createdWith = sender;
      throw Exception("no ports");
    };
    OnClose = [this](TObject*, TCloseAction& action) {
      ++closeRequests;
      if (keepOpen) action = caNone;
    };
  }
  TObject* createdWith = nullptr;
  int closeRequests = 0;
  bool keepOpen = true;
};

TEST_F(ApplicationTest, CreateFormRaisesOnCreateAndRunEndsWhenTheMainFormCloses) {
  CreatedForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->createdWith, form);
  EXPECT_EQ(Application->MainForm.Get(), form);
  EXPECT_EQ(form->Owner.Get(), Application);
  EXPECT_EQ(OnlyDialog().Text, String("no ports."));

  // Closing asks OnClose; caNone keeps the window and the loop.
  form->Show();
  form->Close();
  EXPECT_EQ(form->closeRequests, 1);
  EXPECT_TRUE(form->Visible);
  EXPECT_FALSE(Application->Terminated);

  // A worker's message box before Run waits for Run's loop to show it; the
  // worker then closes the window, which ends Run.
  form->keepOpen = false;
  HWND window = form->Handle;
  ClearShownDialogsForTesting();
  std::atomic<int> answer{-1};
  std::thread worker([&] {
    answer = MessageBoxA(nullptr, "started", "WorkerThread", MB_OK);
    PostMessageA(window, WM_CLOSE, 0, 0);
  });
  Application->Run();  // returns once the close goes through
  worker.join();
  EXPECT_EQ(answer.load(), IDOK);
  EXPECT_EQ(OnlyDialog().Caption, String("WorkerThread"));
  EXPECT_TRUE(Application->Terminated);
  EXPECT_FALSE(IsWindow(window));  // Run destroyed the form
  EXPECT_EQ(Application->MainForm.Get(), nullptr);
}

TEST_F(ApplicationTest, MessageBoxesAnswerWithTheChosenOrDefaultButton) {
  // Nothing queued: the default button (the second with MB_DEFBUTTON2).
  EXPECT_EQ(Application->MessageBox("确定要退出吗？", "退出程序", MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2),
            IDCANCEL);
  QueueDialogAnswerForTesting(IDOK);
  EXPECT_EQ(Application->MessageBox("确定要退出吗？", "退出程序", 0x131), IDOK);
  EXPECT_EQ(ShownDialogsForTesting().at(1).Flags, 0x131u);
  EXPECT_EQ(ShownDialogsForTesting().at(1).Caption, String("退出程序"));

  ClearShownDialogsForTesting();
  ShowMessage("不能打开 COM1");
  ShownDialog shown = OnlyDialog();
  EXPECT_TRUE(shown.FromShowMessage);
  EXPECT_EQ(shown.Text, String("不能打开 COM1"));
  EXPECT_EQ(shown.Caption, String("Kestrix"));
}

// The title captions the application's boxes but never reaches Qt's display
// name, which Qt would append to every title bar; the desktop knows the
// program by its desktop entry instead.
TEST_F(ApplicationTest, TheTitleCaptionsBoxesButStaysOffTitleBars) {
  Application->Initialize();
  EXPECT_NE(QGuiApplication::applicationDisplayName(), QStringLiteral("Kestrix"));
  EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral(KESTRIX_DESKTOP_ID));
}

TEST_F(ApplicationTest, FileDialogsTakeTheQueuedNameOrCancel) {
  TForm form(nullptr);
  auto* save = new TSaveDialog(&form);
  save->Title = "保存接收数据到文件";
  save->FileName = "before.bin";
  // Nothing queued answers as Cancel does; the name stays.
  EXPECT_FALSE(save->Execute());
  EXPECT_EQ(save->FileName.Get(), String("before.bin"));
  QueueFileDialogAnswerForTesting("/tmp/数据.bin");
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName.Get(), String("/tmp/数据.bin"));
  QueueFileDialogAnswerForTesting("");
  EXPECT_FALSE(save->Execute());

  auto* open = new TOpenDialog(&form);
  open->Title = "发送文件";
  QueueFileDialogAnswerForTesting("/tmp/firmware.bin");
  EXPECT_TRUE(open->Execute());
  EXPECT_EQ(open->FileName.Get(), String("/tmp/firmware.bin"));
  std::vector<ShownDialog> shown = ShownDialogsForTesting();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].Caption, String("保存接收数据到文件"));
  EXPECT_EQ(shown[3].Caption, String("发送文件"));
}

TEST_F(ApplicationTest, ASaveNameWithoutAnExtensionGetsTheChosenTypes) {
  TForm form(nullptr);
  TSaveDialog save(&form);
  save.Filter = "Wireshark (*.pcapng)|*.pcapng|文本文件 (*.txt)|*.txt|全部 (*)|*";
  const auto saved = [&](const char* typed, int chosen) {
    QueueFileDialogAnswerForTesting(typed, chosen);
    EXPECT_TRUE(save.Execute());
    return save.FileName.Get().Utf8();
  };
  EXPECT_EQ(saved("/no-such-folder/link", 1), "/no-such-folder/link.pcapng");
  EXPECT_EQ(save.FilterIndex.Get(), 1);
  EXPECT_EQ(saved("/no-such-folder/link", 2), "/no-such-folder/link.txt");
  EXPECT_EQ(save.FilterIndex.Get(), 2) << "the choice is kept for the next time";
  EXPECT_EQ(saved("/no-such-folder/link", 0), "/no-such-folder/link.txt") << "the choice the dialog showed first";
  // A name with an extension keeps it; so does any name under "*".
  EXPECT_EQ(saved("/no-such-folder/link.log", 1), "/no-such-folder/link.log");
  EXPECT_EQ(saved("/no-such-folder/link", 3), "/no-such-folder/link");
  EXPECT_EQ(saved("/no-such-folder/v1.2/link", 2), "/no-such-folder/v1.2/link.txt")
      << "a dot in a folder's name is no extension";
  EXPECT_EQ(saved("/no-such-folder/.link", 2), "/no-such-folder/.link.txt");
  EXPECT_EQ(saved("/dev/null", 2), "/dev/null") << "a file chosen as it stands";
  // Patterns that name no one extension give none.
  save.Filter = "Logs (*.log;*.txt)|*.log;*.txt|Any (*.*)|*.*|Some (*.tx?)|*.tx?";
  EXPECT_EQ(saved("/no-such-folder/a", 1), "/no-such-folder/a.log");
  EXPECT_EQ(saved("/no-such-folder/a", 2), "/no-such-folder/a");
  EXPECT_EQ(saved("/no-such-folder/a", 3), "/no-such-folder/a");
  EXPECT_EQ(saved("/no-such-folder/a", 9), "/no-such-folder/a") << "a choice that is not there";
  // An open dialog never changes the name.
  TOpenDialog open(&form);
  open.Filter = "Text (*.txt)|*.txt";
  QueueFileDialogAnswerForTesting("/no-such-folder/firmware", 1);
  EXPECT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName.Get().Utf8(), "/no-such-folder/firmware");
}

}  // namespace
