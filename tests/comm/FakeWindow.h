// A stand-in for the program's window: a window of the platform whose
// messages are recorded as the test thread takes them (copying and
// releasing received-data blocks, as the window would), and the display of
// message boxes, recorded too.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ReceivedBlock.h"

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
  std::vector<ReadMark> marks;  // its reads' ends and times
};

class FakeWindow {
 public:
  // The window's handle, in the platform's table like any window's.
  HWND Handle() const { return handle_; }

  // Shows the message boxes too; only one may exist at a time.
  FakeWindow();
  ~FakeWindow();
  FakeWindow(const FakeWindow&) = delete;
  FakeWindow& operator=(const FakeWindow&) = delete;

  // Takes the messages posted since, then returns all taken so far.
  std::vector<PostedMessage> Messages();
  std::vector<ShownMessageBox> MessageBoxes() const;
  // Runs before each post is accepted; it may throw, like a post that
  // cannot be made. Empty restores plain posting.
  void SetBeforePost(std::function<void()> beforePost);

 private:
  void Record(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static int ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type);

  HWND handle_;

  mutable std::mutex lock_;
  std::vector<PostedMessage> messages_;
  std::vector<ShownMessageBox> messageBoxes_;
  std::function<void()> beforePost_;
};
