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
  for (int index = 0; index < 2; ++index) Panels[index]->Receive->OnShown = [this, index] { CheckShown(index); };
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
  const int index = PanelOf(*block, Message.WParam);
  CheckReadGaps(index, *block);

  TForm1::Dispatch(Message);

  const int64_t checkStart = ThreadNanoseconds();
  CheckTaken(index, bytes, count);
  checkNanoseconds_ += ThreadNanoseconds() - checkStart;
}

void WatchedForm::CheckTaken(int Index, const BYTE* pBytes, DWORD dwCount) {
  PanelWatch& watch = Watch[Index];
  if (dwCount == 0) return;
  watch.newestBlock.assign(reinterpret_cast<const char*>(pBytes), dwCount);
  for (DWORD i = 0; i < dwCount; ++i) {
    if (static_cast<char>(pBytes[i]) != PatternByte(watch.taken)) {
      if (watch.wrongBytes++ == 0) watch.firstWrongAt = static_cast<int64_t>(watch.taken);
    }
    ++watch.taken;
  }
}

void WatchedForm::CheckReadGaps(int Index, const ReceivedBlock& Block) {
  PanelWatch& watch = Watch[Index];
  if (watch.readGapsFromNow.exchange(false)) {
    watch.lastRead = 0;
    watch.longestReadGap = 0;
  }
  for (DWORD mark = 0; mark < Block.dwMarks && mark < kMaxReadMarks; ++mark) {
    const FILETIME& time = Block.Marks[mark].ftTime;
    const int64_t read = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    if (watch.lastRead != 0 && read - watch.lastRead > watch.longestReadGap)
      watch.longestReadGap = read - watch.lastRead;
    watch.lastRead = read;
  }
}

void WatchedForm::CheckShown(int Index) {
  const Clock::time_point shownAt = Clock::now();
  const int64_t checkStart = ThreadNanoseconds();
  PanelWatch& watch = Watch[Index];
  const String memo = (Index == 0 ? Memo1 : Memo2)->Text.Get();
  if (!memo.Utf8().ends_with(watch.newestBlock)) ++watch.memoMisses;
  watch.shown = watch.taken;
  {
    std::lock_guard<std::mutex> lock(watch.mutex);
    watch.log.push_back({watch.taken, shownAt});
  }
  checkNanoseconds_ += ThreadNanoseconds() - checkStart;
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
