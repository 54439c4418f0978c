// Windows in the handle table: posting from other threads, the order the
// messages are taken in, and posts racing the window's destruction.
#include <kestrix/window_messaging.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr UINT kBlockMessage = WM_USER + 7;

// A window whose procedure records (sender, sequence) pairs and frees the
// heap block each message carries, as the program's window frees its
// received data.
class RecordingWindow {
 public:
  RecordingWindow()
      : handle(CreateWindowHandle(
            [this](HWND, UINT, WPARAM wParam, LPARAM lParam) -> LRESULT {
              std::unique_ptr<int> block(reinterpret_cast<int*>(lParam));
              std::lock_guard<std::mutex> guard(lock);
              taken.push_back({static_cast<int>(wParam), *block});
              return 1;
            },
            [this](HWND) { ++wakeUps; })) {}
  ~RecordingWindow() { FreeAll(DestroyWindowHandle(handle)); }

  static void FreeAll(const std::vector<MSG>& messages) {
    for (const MSG& message : messages) delete reinterpret_cast<int*>(message.lParam);
  }

  const HWND handle;
  std::mutex lock;
  std::vector<std::pair<int, int>> taken;
  std::atomic<int> wakeUps{0};
};

BOOL PostBlock(HWND window, int sender, int sequence) {
  auto block = std::make_unique<int>(sequence);
  if (!PostMessageA(window, kBlockMessage, static_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(block.get())))
    return FALSE;
  block.release();  // the window's now
  return TRUE;
}

TEST(PlatformWindow, PostsFromSeveralThreadsAreTakenInEachThreadsOrderWithOneWakeUpEach) {
  RecordingWindow window;
  constexpr int kSenders = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> senders;
  for (int sender = 0; sender < kSenders; ++sender)
    senders.emplace_back([&, sender] {
      for (int sequence = 0; sequence < kEach; ++sequence) EXPECT_TRUE(PostBlock(window.handle, sender, sequence));
    });
  // The window's own thread takes them meanwhile.
  int dispatched = 0;
  while (dispatched < kSenders * kEach) {
    if (DispatchPostedMessage(window.handle))
      ++dispatched;
    else
      std::this_thread::yield();
  }
  for (std::thread& sender : senders) sender.join();
  EXPECT_FALSE(DispatchPostedMessage(window.handle));
  EXPECT_EQ(window.wakeUps.load(), kSenders * kEach);
  std::vector<int> next(kSenders, 0);
  for (const auto& [sender, sequence] : window.taken) EXPECT_EQ(sequence, next[static_cast<size_t>(sender)]++);
}

TEST(PlatformWindow, HandlesThatNameNoWindowRefuseAndAWindowIsNotClosedLikeAKernelObject) {
  HWND gone;
  {
    RecordingWindow window;
    gone = window.handle;
    EXPECT_TRUE(IsWindow(gone));
    // A window is destroyed, not closed; it stays.
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(gone)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(IsWindow(gone));
    ASSERT_TRUE(PostBlock(gone, 0, 1));
  }  // its message is handed back on destruction and freed
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (HWND handle : {gone, static_cast<HWND>(nullptr), reinterpret_cast<HWND>(event)}) {
    EXPECT_FALSE(IsWindow(handle));
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(handle, kBlockMessage, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(handle, kBlockMessage, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(DispatchPostedMessage(handle));
    EXPECT_TRUE(DestroyWindowHandle(handle).empty());
  }
  // Destroying something that is not a window leaves it alone.
  EXPECT_TRUE(SetEvent(event));
  EXPECT_TRUE(CloseHandle(event));
}

TEST(PlatformWindow, AWakeUpThatThrowsRefusesThePostAndQueuesNothing) {
  bool refuse = true;
  const HWND window = CreateWindowHandle([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; },
                                         [&](HWND) {
                                           if (refuse) throw std::runtime_error("no loop");
                                         });
  EXPECT_THROW(PostMessageA(window, kBlockMessage, 1, 0), std::runtime_error);
  EXPECT_FALSE(DispatchPostedMessage(window));
  refuse = false;
  EXPECT_TRUE(PostMessageA(window, kBlockMessage, 2, 0));
  const std::vector<MSG> left = DestroyWindowHandle(window);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].wParam, 2u);
}

// Every accepted post is either taken by the window or handed back by its
// destruction, exactly once; every refused one fails cleanly. The blocks
// make a loss or a double free visible to the sanitizers.
TEST(PlatformWindow, DestroyingAWindowWhileOthersPostToItLosesAndFreesNothingTwice) {
  for (int round = 0; round < 20; ++round) {
    auto window = std::make_unique<RecordingWindow>();
    const HWND handle = window->handle;
    std::atomic<int> accepted{0};
    std::atomic<bool> refusedCleanly{true};
    std::vector<std::thread> senders;
    for (int sender = 0; sender < 3; ++sender)
      senders.emplace_back([&, sender] {
        for (int sequence = 0;; ++sequence) {
          SetLastError(0);
          if (!PostBlock(handle, sender, sequence)) {
            refusedCleanly = refusedCleanly && GetLastError() == ERROR_INVALID_WINDOW_HANDLE;
            return;
          }
          ++accepted;
        }
      });
    for (int taken = 0; taken < 50;) taken += DispatchPostedMessage(handle) ? 1 : 0;
    const std::vector<MSG> left = DestroyWindowHandle(handle);
    EXPECT_FALSE(DispatchPostedMessage(handle));
    for (std::thread& sender : senders) sender.join();
    EXPECT_TRUE(refusedCleanly.load());
    EXPECT_EQ(window->taken.size() + left.size(), static_cast<size_t>(accepted.load()));
    RecordingWindow::FreeAll(left);
    window.reset();
  }
}

}  // namespace
