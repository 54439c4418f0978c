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
  static const WindowMessagingBackend backend = {&FakeWindow::Post, &FakeWindow::Send, &FakeWindow::IsWindowHandle,
                                                 &FakeWindow::ShowMessageBox};
  g_current = this;
  InstallWindowMessaging(&backend);
}

FakeWindow::~FakeWindow() {
  InstallWindowMessaging(nullptr);
  g_current = nullptr;
}

std::vector<PostedMessage> FakeWindow::Messages() const {
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

BOOL FakeWindow::Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FakeWindow* window = g_current;
  if (window == nullptr || hWnd != kWindow) return FALSE;
  std::function<void()> beforePost;
  {
    std::lock_guard<std::mutex> guard(window->lock_);
    beforePost = window->beforePost_;
  }
  if (beforePost) beforePost();

  PostedMessage posted = {hWnd, message, wParam, lParam, 0, {}, nullptr, 0, false};
  if (message == kReceivedDataMessage) {
    std::unique_ptr<ReceivedBlock> block(reinterpret_cast<ReceivedBlock*>(lParam));
    posted.blockCount = block->dwCount;
    posted.channel = block->pChannel;
    posted.opening = block->dwOpening;
    posted.last = block->bLast;
    posted.bytes.assign(block->Bytes, block->Bytes + std::min<DWORD>(block->dwCount, kReceiveBufferSize));
  }
  std::lock_guard<std::mutex> guard(window->lock_);
  window->messages_.push_back(std::move(posted));
  return TRUE;
}

LRESULT FakeWindow::Send(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL FakeWindow::IsWindowHandle(HWND hWnd) { return hWnd == kWindow && g_current != nullptr; }

int FakeWindow::ShowMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  if (FakeWindow* window = g_current) {
    std::lock_guard<std::mutex> guard(window->lock_);
    window->messageBoxes_.push_back({text ? text : "", caption ? caption : "", type});
  }
  return IDOK;
}
