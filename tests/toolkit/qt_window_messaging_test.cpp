// Window messages between threads: posting, sending, destruction with
// messages still queued, and message boxes from worker threads.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/testing.h"

namespace {

constexpr UINT kDataMessage = WM_USER + 202;

// A form that receives heap blocks by message and frees them, in its
// handler or when they are dropped.
class ReceivingForm : public TForm {
 public:
  explicit ReceivingForm(TComponent* owner) : TForm(owner) {}
  ~ReceivingForm() override { DestroyHandle(); }

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == kDataMessage) {
      std::unique_ptr<std::vector<int>> block(reinterpret_cast<std::vector<int>*>(Message.LParam));
      received.push_back(static_cast<int>(Message.WParam));
      onGuiThread = onGuiThread && std::this_thread::get_id() == guiThread;
      Message.Result = 7;
      return;
    }
    TForm::Dispatch(Message);
  }

  std::vector<int> received;
  std::vector<int> dropped;
  bool onGuiThread = true;
  std::thread::id guiThread = std::this_thread::get_id();

 protected:
  void DropMessage(TMessage& Message) override {
    if (Message.Msg != kDataMessage) return;
    delete reinterpret_cast<std::vector<int>*>(Message.LParam);
    dropped.push_back(static_cast<int>(Message.WParam));
  }
};

// Starts work on another thread once the GUI thread handles events, and
// handles them until done() holds.
bool RunWorkerWhileHandlingEvents(std::thread& worker, const std::function<void()>& work,
                                  const std::function<bool()>& done) {
  return ProcessMessagesUntil([&] {
    if (!worker.joinable()) worker = std::thread(work);
    return done();
  });
}

LPARAM NewBlock() { return reinterpret_cast<LPARAM>(new std::vector<int>(512, 1)); }

TEST(WindowMessaging, PostsFromAnotherThreadArriveInOrderOnTheGuiThread) {
  ReceivingForm form(nullptr);
  HWND window = form.Handle;
  std::thread worker([window] {
    for (int i = 1; i <= 50; ++i) ASSERT_TRUE(PostMessageA(window, kDataMessage, i, NewBlock()));
  });
  worker.join();
  ASSERT_TRUE(ProcessMessagesUntil([&] { return form.received.size() == 50; }));
  for (int i = 0; i < 50; ++i) EXPECT_EQ(form.received[static_cast<size_t>(i)], i + 1);
  EXPECT_TRUE(form.onGuiThread);
}

TEST(WindowMessaging, WindowsThatAreGoneOrNeverWereRefusePostsAndSends) {
  HWND gone;
  {
    ReceivingForm form(nullptr);
    gone = form.Handle;
    EXPECT_TRUE(IsWindow(gone));
  }
  EXPECT_FALSE(IsWindow(gone));
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(gone, kDataMessage, 1, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageA(gone, kDataMessage, 1, 0), 0);

  HWND never = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0000));
  EXPECT_FALSE(IsWindow(never));
  EXPECT_FALSE(IsWindow(nullptr));
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(never, kDataMessage, 1, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

  // A new window never gets an old handle back.
  ReceivingForm next(nullptr);
  EXPECT_NE(next.Handle.Get(), gone);
}

TEST(WindowMessaging, MessagesQueuedWhenTheWindowGoesAreDroppedWithTheirData) {
  auto form = std::make_unique<ReceivingForm>(nullptr);
  HWND window = form->Handle;
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(PostMessageA(window, kDataMessage, i, NewBlock()));
  // Another window's message meanwhile is not disturbed.
  ReceivingForm other(nullptr);
  ASSERT_TRUE(PostMessageA(other.Handle, kDataMessage, 9, NewBlock()));

  form->DestroyHandle();
  EXPECT_EQ(form->dropped, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(form->received.empty());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PostMessageA(window, kDataMessage, 6, 0));
  form.reset();

  // The wake-ups left behind for the destroyed window find nothing to do.
  ASSERT_TRUE(ProcessMessagesUntil([&] { return other.received.size() == 1; }));
  ProcessMessagesFor(50);
  EXPECT_EQ(other.received, std::vector<int>{9});
}

TEST(WindowMessaging, DestroyingWithoutCallingDestroyHandleFirstStillEmptiesTheQueue) {
  // The base class drops the messages itself; their data is the derived
  // class's to free, so here they carry none.
  auto form = std::make_unique<TForm>(nullptr);
  HWND window = form->Handle;
  ASSERT_TRUE(PostMessageA(window, kDataMessage, 1, 0));
  form.reset();
  EXPECT_FALSE(IsWindow(window));
  ProcessMessagesFor(20);
}

TEST(WindowMessaging, SendMessageDispatchesAtOnceOnTheGuiThreadAndWaitsFromOthers) {
  ReceivingForm form(nullptr);
  EXPECT_EQ(SendMessageA(form.Handle, kDataMessage, 3, NewBlock()), 7);
  EXPECT_EQ(form.received, std::vector<int>{3});

  HWND window = form.Handle;
  std::atomic<LRESULT> result{0};
  std::thread worker;
  ASSERT_TRUE(RunWorkerWhileHandlingEvents(
      worker, [&] { result = SendMessageA(window, kDataMessage, 4, NewBlock()); }, [&] { return result.load() != 0; }));
  worker.join();
  EXPECT_EQ(result.load(), 7);
  EXPECT_EQ(form.received, (std::vector<int>{3, 4}));
  EXPECT_TRUE(form.onGuiThread);
}

TEST(WindowMessaging, MessageBoxFromAWorkerIsShownOnTheGuiThreadWithItsAnsiText) {
  ClearShownDialogsForTesting();
  QueueDialogAnswerForTesting(IDCANCEL);
  std::atomic<int> answer{-1};
  // "打开失败" (open failed) in GBK bytes.
  std::thread worker;
  ASSERT_TRUE(RunWorkerWhileHandlingEvents(
      worker, [&] { answer = MessageBoxA(nullptr, "\xB4\xF2\xBF\xAA\xCA\xA7\xB0\xDC", "Class cxComm", MB_OKCANCEL); },
      [&] { return answer.load() != -1; }));
  worker.join();
  EXPECT_EQ(answer.load(), IDCANCEL);
  std::vector<ShownDialog> shown = ShownDialogsForTesting();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, String("打开失败"));
  EXPECT_EQ(shown[0].Caption, String("Class cxComm"));
  EXPECT_EQ(shown[0].Flags, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_TRUE(shown[0].OnGuiThread);
}

TEST(WindowMessaging, MessageBoxFromAWorkerDoesNotWaitWhenNoLoopRuns) {
  ClearShownDialogsForTesting();
  std::atomic<int> answer{-1};
  std::thread worker([&] { answer = MessageBoxA(nullptr, "lost", "WorkerThread", MB_OK); });
  worker.join();  // would hang if the box waited for a loop
  EXPECT_EQ(answer.load(), 0);
  EXPECT_TRUE(ShownDialogsForTesting().empty());
}

TEST(WindowMessaging, FormsCloseOnWmClose) {
  TForm form(nullptr);
  form.Show();
  ASSERT_TRUE(form.Visible);
  ASSERT_TRUE(PostMessageA(form.Handle, WM_CLOSE, 0, 0));
  EXPECT_TRUE(ProcessMessagesUntil([&] { return !form.Visible; }));
}

}  // namespace
