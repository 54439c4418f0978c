// A stand-in for the window side of window messaging: one window exists,
// every message posted to it is recorded, and received-data blocks are
// taken over (copied, then released as the window would).
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct ShownMessageBox {
  std::string text;
  std::string caption;
  UINT type;
};

struct PostedMessage {
  HWND hWnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD blockCount;         // a received-data block's count, as posted
  std::vector<BYTE> bytes;  // and its bytes
  const void* channel;      // the block's channel, opening and last mark
  DWORD opening;
  bool last;
};

class FakeWindow {
 public:
  static inline const HWND kWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4b00));

  // Installs itself as the messaging backend; only one may exist at a time.
  FakeWindow();
  ~FakeWindow();

  FakeWindow(const FakeWindow&) = delete;
  FakeWindow& operator=(const FakeWindow&) = delete;

  std::vector<PostedMessage> Messages() const;
  std::vector<ShownMessageBox> MessageBoxes() const;
  // Runs before each post is accepted; it may throw, like a post that
  // cannot be made. Empty restores plain posting.
  void SetBeforePost(std::function<void()> beforePost);

 private:
  static BOOL Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static BOOL IsWindowHandle(HWND hWnd);
  static int ShowMessageBox(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type);

  mutable std::mutex lock_;
  std::vector<PostedMessage> messages_;
  std::vector<ShownMessageBox> messageBoxes_;
  std::function<void()> beforePost_;
};
