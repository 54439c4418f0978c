#include "FakeWindow.h"

#include <kestrix/window_messaging.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "ReceivedBlock.h"

namespace {

std::atomic<FakeWindow*> g_current{nullptr};

}  // namespace

FakeWindow::FakeWindow() {
  handle_ = CreateWindowHandle(
      [this](HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        Record(hWnd, message, wParam, lParam);
        return 0;
      },
      // The test thread takes the messages; a post only runs the hook.
      [this](HWND) {
        std::function<void()> beforePost;
        {
          std::lock_guard<std::mutex> guard(lock_);
          beforePost = beforePost_;
        }
        if (beforePost) beforePost();
      });
  g_current = this;
  SetMessageBoxDisplay(&FakeWindow::ShowMessageBox);
}

FakeWindow::~FakeWindow() {
  SetMessageBoxDisplay(nullptr);
  g_current = nullptr;
  for (const MSG& left : DestroyWindowHandle(handle_))
    if (left.message == kReceivedDataMessage) delete reinterpret_cast<ReceivedBlock*>(left.lParam);
}

std::vector<PostedMessage> FakeWindow::Messages() {
  while (DispatchPostedMessage(handle_)) {
  }
  std::lock_guard<std::mutex> guard(lock_);
  return messages_;
}

std::vector<ShownMessageBox> FakeWindow::MessageBoxes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return messageBoxes_;
}

void FakeWindow::SetBeforePost(std::function<void()> beforePost) {
  std::lock_guard<std::mutex> guard(lock_);
  beforePost_ = std::move(beforePost);
}

void FakeWindow::Record(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PostedMessage posted = {hWnd, message, wParam, lParam, 0, {}, nullptr, 0, false, {}};
  if (message == kReceivedDataMessage) {
    std::unique_ptr<ReceivedBlock> block(reinterpret_cast<ReceivedBlock*>(lParam));
    posted.blockCount = block->dwCount;
    posted.channel = block->pChannel;
    posted.opening = block->dwOpening;
    posted.last = block->bLast;
    posted.marks.assign(block->Marks, block->Marks + std::min(block->dwMarks, kMaxReadMarks));
    posted.bytes.assign(block->Bytes, block->Bytes + std::min<DWORD>(block->dwCount, kReceiveBufferSize));
  }
  std::lock_guard<std::mutex> guard(lock_);
  messages_.push_back(std::move(posted));
}

int FakeWindow::ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) {
  if (FakeWindow* window = g_current) {
    std::lock_guard<std::mutex> guard(window->lock_);
    window->messageBoxes_.push_back({text ? text : "", caption ? caption : "", type});
  }
  return IDOK;
}
