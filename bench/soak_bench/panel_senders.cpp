#include "panel_senders.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <thread>

namespace {

const uint64_t kLargestBurst = 16;  // presses of a panel in one step at most; the rest waits

}  // namespace

PanelSenders::PanelSenders(const Lines& lines, double rate)
    : lines_(lines), rate_(rate), start_(Clock::now()), line_(SentLine()) {}

void PanelSenders::Step() {
  const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
  const auto due = static_cast<uint64_t>(rate_ * elapsed);
  WatchedForm& form = *lines_.form;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    TEdit* const edits[2] = {form.Edit1, form.Edit2};
    TButton* const sendButtons[2] = {form.Button2, form.Button5};
    for (int i = 0; i < 2; ++i) {
      // A closed panel sends nothing, and does not owe what it missed.
      if (form.Channels[i]._hComm == INVALID_HANDLE_VALUE) {
        accounted_[i] = due;
        continue;
      }
      if (edits[i]->Text.Get() != line_) edits[i]->Text = line_;
      // Whole lines only: what is owed short of a line waits for the next step.
      for (uint64_t presses = 0; due - accounted_[i] >= kSentLineLength && presses < kLargestBurst; ++presses) {
        sendButtons[i]->Click();
        accounted_[i] += kSentLineLength;
        offered_[i] += kSentLineLength;
      }
    }
  });
  for (serial_lines::PatternFarEnd* end : lines_.ends) end->Read();
}

bool PanelSenders::WaitUntilArrived(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    bool arrived = true;
    for (int i = 0; i < 2; ++i) {
      lines_.ends[i]->Read();
      if (lines_.ends[i]->Received() < offered_[i]) arrived = false;
    }
    if (arrived) return true;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool ReadCounterLine(WatchedForm& form, int index, uint64_t& sent, uint64_t& received) {
  std::string line;
  WatchedForm::RunOnWindowThread(form.Handle,
                                 [&] { line = form.StatusBar1->Panels->Items[index + 1]->Text.Get().Utf8(); });
  int port = 0;
  return std::sscanf(line.c_str(), "COM%d: S:%" SCNu64 " R:%" SCNu64, &port, &sent, &received) == 3;
}
