// The link monitor: the record fed, settled each tick, and read by the
// window and the live file.
#include "LinkMonitor.h"

#include <algorithm>

#include "DecodedRowText.h"
#include "LinkRowText.h"
#include "MonitorWindow.h"
#include "ReceivedBlock.h"
#include "SavedFiles.h"

namespace {

ULONGLONG FileTimeNow() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

ULONGLONG TimeOf(const FILETIME& Time) {
  return (static_cast<ULONGLONG>(Time.dwHighDateTime) << 32) | Time.dwLowDateTime;
}

// The record's byte limit: far more than the rows in view, so that a pause
// of minutes on a fast line loses nothing.
constexpr size_t kRecordLimit = 64u << 20;

}  // namespace

LinkMonitor::LinkMonitor(TComponent* Owner) : Owner(Owner) {
  Record_.SetLimit(kRecordLimit);
  // A closed file's writer goes on writing what it was given while the
  // window runs.
  Saver.Retire = [](std::unique_ptr<FileAppender> Writer) { RetireFileWriter(std::move(Writer), String(), false); };
}

LinkMonitor::~LinkMonitor() = default;

void LinkMonitor::Show() {
  if (!Window) {
    MonitorWindow::Events events;
    events.ChoicesChanged = [this] { TakeChoices(); };
    events.PauseClicked = [this] {
      Paused = !Paused;
      Window->SetPaused(Paused);
      if (!Paused) ShowNewRows();
    };
    events.ClearClicked = [this] { Clear(); };
    events.SaveClicked = [this] { SaveOrStop(); };
    Window = std::make_unique<MonitorWindow>(Owner, events);
    Window->SetChoices(Choices_);
  }
  Window->Show();
}

bool LinkMonitor::Recording() const { return (Window && Window->Showing()) || Saver.IsOpen(); }

void LinkMonitor::Received(int Panel, const std::string& PortName, const ReceivedBlock& Block, BYTE Lines) {
  if (!Recording()) return;
  DWORD start = 0;
  for (DWORD mark = 0; mark < Block.dwMarks && mark < kMaxReadMarks; ++mark) {
    const DWORD end = std::min(Block.Marks[mark].dwEnd, Block.dwCount);
    if (end > start)
      Record_.Add(Panel, false, PortName, TimeOf(Block.Marks[mark].ftTime), Block.Bytes + start, end - start, Lines);
    start = std::max(start, end);
  }
  // Bytes with no mark (none are expected) keep the time of their delivery.
  if (start < Block.dwCount)
    Record_.Add(Panel, false, PortName, FileTimeNow(), Block.Bytes + start, Block.dwCount - start, Lines);
  if (Block.bLast) Record_.EndFrames(Panel);
}

void LinkMonitor::Sent(int Panel, const std::string& PortName, const std::string& Bytes) {
  if (!Recording() || !Choices_.ShowSends) return;
  Record_.Add(Panel, true, PortName, FileTimeNow(), reinterpret_cast<const BYTE*>(Bytes.data()), Bytes.size());
}

void LinkMonitor::Break(int Panel, const std::string& PortName, int Ms) {
  if (!Recording() || Ms <= 0) return;
  Record_.AddBreak(Panel, PortName, FileTimeNow(), static_cast<DWORD>(Ms));
}

void LinkMonitor::SetDefaultGap(int Panel, ULONGLONG Intervals) {
  DefaultGaps[Panel] = Intervals;
  ApplyChoices();
}

void LinkMonitor::SetChoices(const MonitorChoices& Choices) {
  Choices_ = Choices;
  if (Window) Window->SetChoices(Choices_);
  ApplyChoices();
}

void LinkMonitor::TakeChoices() {
  Choices_ = Window->Choices();
  ApplyChoices();
  if (ChoicesChanged) ChoicesChanged();
}

void LinkMonitor::ApplyChoices() {
  const double chosen = Choices_.FrameGapMs;
  for (int panel = 0; panel < 2; ++panel)
    Record_.SetFrameGap(panel, chosen > 0 ? static_cast<ULONGLONG>(chosen * kIntervalsPerMs) : DefaultGaps[panel]);
}

void LinkMonitor::Tick() {
  if (!Recording()) return;
  Record_.Settle(FileTimeNow());
  if (Saver.IsOpen() && !Saver.WriteNew(Record_)) {
    const String name = SaveName;
    SaveName = String();
    if (Window) Window->SetSaving(SaveName);
    TellCannotSave(name, Saver.LastError);
  }
  if (!Paused) ShowNewRows();
  ShowStatus();
}

void LinkMonitor::ShowRow(const LinkFrame& Frame) {
  Window->AppendRow(LinkRowText(Frame, PreviousEnd, Choices_.Hex, CodePages[Frame.Port]),
                    Frame.Sent ? MonitorWindow::RowKind::Sent : MonitorWindow::RowKind::Received);
  PreviousEnd = Frame.End;
  if (!Choices_.DecodeModbus || Frame.BreakMs > 0) return;
  const ModbusRow decoded = Decoder.Decode(Frame);
  Window->AppendRow(DecodedRowText(decoded).Utf8(),
                    decoded.Bad ? MonitorWindow::RowKind::Bad : MonitorWindow::RowKind::Decoded);
}

void LinkMonitor::ShowNewRows() {
  if (!Window) return;
  const std::deque<LinkFrame>& frames = Record_.Frames();
  if (frames.empty()) return;
  const ULONGLONG first = frames.front().Sequence;
  if (NextShown < first) NextShown = first;  // older frames went past the record's limit
  for (size_t index = static_cast<size_t>(NextShown - first); index < frames.size(); ++index)
    if (!frames[index].Sent || Choices_.ShowSends || frames[index].BreakMs > 0) ShowRow(frames[index]);
  NextShown = Record_.NextSequence();
}

void LinkMonitor::Clear() {
  Record_.Clear();
  Decoder.Reset();
  PreviousEnd = 0;
  if (Window) Window->ClearRows();
}

void LinkMonitor::SaveOrStop() {
  if (Saver.IsOpen()) {
    Saver.Close();
    SaveName = String();
    Window->SetSaving(SaveName);
    return;
  }
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("LinkMonitor", "保存链路记录");
  dialog.Filter = Tr("LinkMonitor", "Wireshark 抓包 (*.pcapng)|*.pcapng|文本文件 (*.txt)|*.txt");
  if (dialog.Execute()) SaveTo(dialog.FileName);
}

bool LinkMonitor::SaveTo(const String& FileName) {
  const std::string& path = FileName.Utf8();
  const bool text = path.size() >= 4 && path.compare(path.size() - 4, 4, ".txt") == 0;
  if (!Saver.Open(path, text ? LinkFileSaver::Format::Text : LinkFileSaver::Format::Pcapng, Choices_.Hex)) {
    TellCannotSave(FileName, Saver.LastError);
    return false;
  }
  SaveName = FileName;
  if (Window) Window->SetSaving(SaveName);
  Tick();
  return true;
}

void LinkMonitor::ShowStatus() {
  if (!Window) return;
  const auto count = [](ULONGLONG value) { return String().sprintf("%llu", static_cast<unsigned long long>(value)); };
  String status = Fill(Tr("LinkMonitor", "%1 帧"), {count(Record_.NextSequence())});
  if (Paused) status += Tr("LinkMonitor", "（已暂停，记录继续）");
  if (Record_.LateFrames() > 0) status += Fill(Tr("LinkMonitor", "，%1 帧晚到"), {count(Record_.LateFrames())});
  if (!SaveName.IsEmpty())
    status += Fill(Tr("LinkMonitor", "，保存到 %1（%2 帧）"), {SaveName, count(Saver.FramesWritten)});
  Window->SetStatus(status);
}
