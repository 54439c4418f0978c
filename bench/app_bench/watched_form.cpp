#include "watched_form.h"

#include <time.h>

#include <string>
#include <string_view>

namespace {

// Far from the program's own messages (1226; 1642 to 1651).
const UINT kRunCallMessage = WM_USER + 900;

int64_t ThreadNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

std::vector<ShownRecord> PanelWatch::Log(uint64_t from) const {
  std::lock_guard<std::mutex> lock(mutex);
  std::vector<ShownRecord> found;
  for (const ShownRecord& record : log)
    if (record.end > from) found.push_back(record);
  return found;
}

WatchedForm::WatchedForm(TComponent* Owner) : TForm1(Owner) {
  TNotifyEvent tick = Timer1->OnTimer;
  Timer1->OnTimer = [this, tick](TObject* Sender) {
    {
      std::lock_guard<std::mutex> lock(ticksMutex_);
      ticks_.push_back(Clock::now());
    }
    tick(Sender);
  };
}

void WatchedForm::Dispatch(TMessage& Message) {
  if (Message.Msg == kRunCallMessage) {
    (*reinterpret_cast<const std::function<void()>*>(Message.LParam))();
    return;
  }
  if (Message.Msg != kReceivedDataMessage || Message.LParam == 0) {
    TForm1::Dispatch(Message);
    return;
  }
  // The handler releases the block: keep what it holds.
  const auto* block = reinterpret_cast<const ReceivedBlock*>(Message.LParam);
  const DWORD count = block->dwCount;
  BYTE bytes[kReceiveBufferSize];
  std::copy(block->Bytes, block->Bytes + count, bytes);
  const auto found = PortToPanel.find(static_cast<int>(Message.WParam));
  const int index = found != PortToPanel.end() ? found->second : 0;

  TForm1::Dispatch(Message);
  const Clock::time_point shownAt = Clock::now();

  const int64_t checkStart = ThreadNanoseconds();
  CheckShown(index, bytes, count);
  {
    PanelWatch& watch = Watch[index];
    std::lock_guard<std::mutex> lock(watch.mutex);
    watch.log.push_back({watch.shown, shownAt});
  }
  checkNanoseconds_ += ThreadNanoseconds() - checkStart;
}

void WatchedForm::CheckShown(int Index, const BYTE* pBytes, DWORD dwCount) {
  PanelWatch& watch = Watch[Index];
  const std::string_view block(reinterpret_cast<const char*>(pBytes), dwCount);
  const String memo = (Index == 0 ? Memo1 : Memo2)->Text.Get();
  if (!memo.Utf8().ends_with(block)) ++watch.memoMisses;

  uint64_t position = watch.shown;
  for (char byte : block) {
    if (byte != PatternByte(position)) {
      if (watch.wrongBytes++ == 0) watch.firstWrongAt = static_cast<int64_t>(position);
    }
    ++position;
  }
  watch.shown = position;
}

void WatchedForm::RunOnWindowThread(HWND hWnd, const std::function<void()>& call) {
  SendMessageA(hWnd, kRunCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

void WatchedForm::PostToWindowThread(HWND hWnd, const std::function<void()>* call) {
  PostMessageA(hWnd, kRunCallMessage, 0, reinterpret_cast<LPARAM>(call));
}

std::vector<Clock::time_point> WatchedForm::Ticks(Clock::time_point from) const {
  std::lock_guard<std::mutex> lock(ticksMutex_);
  std::vector<Clock::time_point> found;
  for (Clock::time_point tick : ticks_)
    if (tick >= from) found.push_back(tick);
  return found;
}
