// The link monitor: the record fed, settled each tick, and read by the
// window and the live file.
#include "LinkMonitor.h"

#include <cstdio>

#include "FileErrorText.h"
#include "LinkRowText.h"
#include "MonitorWindow.h"
#include "ReceivedBlock.h"

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

LinkMonitor::LinkMonitor(TComponent* Owner) : Owner(Owner) { Record_.SetLimit(kRecordLimit); }

LinkMonitor::~LinkMonitor() = default;

void LinkMonitor::Show() {
  if (!Window) {
    MonitorWindow::Events events;
    events.ChoicesChanged = [this] { ApplyChoices(); };
    events.PauseClicked = [this] {
      Paused = !Paused;
      Window->SetPaused(Paused);
      if (!Paused) ShowNewRows();
    };
    events.ClearClicked = [this] { Clear(); };
    events.SaveClicked = [this] { SaveOrStop(); };
    Window = std::make_unique<MonitorWindow>(Owner, events);
    ApplyChoices();
  }
  Window->Show();
}

bool LinkMonitor::Recording() const { return (Window && Window->Showing()) || Saver.IsOpen(); }

void LinkMonitor::Received(int Panel, const std::string& PortName, const ReceivedBlock& Block) {
  if (!Recording()) return;
  DWORD start = 0;
  for (DWORD mark = 0; mark < Block.dwMarks && mark < kMaxReadMarks; ++mark) {
    const DWORD end = std::min(Block.Marks[mark].dwEnd, Block.dwCount);
    if (end > start)
      Record_.Add(Panel, false, PortName, TimeOf(Block.Marks[mark].ftTime), Block.Bytes + start, end - start);
    start = std::max(start, end);
  }
  // Bytes with no mark (none are expected) keep the time of their delivery.
  if (start < Block.dwCount)
    Record_.Add(Panel, false, PortName, FileTimeNow(), Block.Bytes + start, Block.dwCount - start);
  if (Block.bLast) Record_.EndFrames(Panel);
}

void LinkMonitor::Sent(int Panel, const std::string& PortName, const std::string& Bytes) {
  if (!Recording() || !Window || !Window->ShowSends()) return;
  Record_.Add(Panel, true, PortName, FileTimeNow(), reinterpret_cast<const BYTE*>(Bytes.data()), Bytes.size());
}

void LinkMonitor::SetDefaultGap(int Panel, ULONGLONG Intervals) {
  DefaultGaps[Panel] = Intervals;
  ApplyChoices();
}

void LinkMonitor::ApplyChoices() {
  const double chosen = Window ? Window->FrameGapMs() : 0;
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
    ShowMessage("不能保存到 " + name + "\n" + FileErrorText(Saver.LastError));
  }
  if (!Paused) ShowNewRows();
  ShowStatus();
}

std::string LinkMonitor::RowOf(const LinkFrame& Frame) {
  std::string row = LinkRowText(Frame, PreviousEnd, Window->Hex());
  if (Window->DecodeModbus()) {
    const ModbusRow decoded = Decoder.Decode(Frame);
    row += "\n        ";
    row += decoded.Bad ? "\xE2\x9A\xA0 " : "";  // ⚠ marks a bad frame
    row += decoded.Text;
    if (decoded.ResponseTime) {
      char text[64];
      std::snprintf(text, sizeof text, "  响应时间 %.3f ms",
                    static_cast<double>(*decoded.ResponseTime) / kIntervalsPerMs);
      row += text;
    }
  }
  PreviousEnd = Frame.End;
  return row + "\n";
}

void LinkMonitor::ShowNewRows() {
  if (!Window) return;
  const std::deque<LinkFrame>& frames = Record_.Frames();
  if (frames.empty()) return;
  const ULONGLONG first = frames.front().Sequence;
  if (NextShown < first) NextShown = first;  // older frames went past the record's limit
  std::string rows;
  for (size_t index = static_cast<size_t>(NextShown - first); index < frames.size(); ++index) {
    if (frames[index].Sent && !Window->ShowSends()) continue;
    rows += RowOf(frames[index]);
    ++RowsShown;
  }
  NextShown = Record_.NextSequence();
  if (rows.empty()) return;
  // The view keeps the newest rows up to its limit: beyond it, it starts
  // again from the record's newest frames.
  if (RowsShown > static_cast<ULONGLONG>(Window->RowLimit())) {
    Window->ClearRows();
    RowsShown = 0;
  }
  if (!rows.empty() && rows.back() == '\n') rows.pop_back();
  Window->AppendRows(rows);
}

void LinkMonitor::Clear() {
  Record_.Clear();
  Decoder.Reset();
  PreviousEnd = 0;
  RowsShown = 0;
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
  dialog.Title = "保存链路记录";
  dialog.Filter = "Wireshark 抓包 (*.pcapng)|*.pcapng|文本文件 (*.txt)|*.txt";
  if (dialog.Execute()) SaveTo(dialog.FileName);
}

bool LinkMonitor::SaveTo(const String& FileName) {
  const std::string& path = FileName.Utf8();
  const bool text = path.size() >= 4 && path.compare(path.size() - 4, 4, ".txt") == 0;
  if (!Saver.Open(path, text ? LinkFileSaver::Format::Text : LinkFileSaver::Format::Pcapng, !Window || Window->Hex())) {
    ShowMessage("不能保存到 " + FileName + "\n" + FileErrorText(Saver.LastError));
    return false;
  }
  SaveName = FileName;
  if (Window) Window->SetSaving(SaveName);
  Tick();
  return true;
}

void LinkMonitor::ShowStatus() {
  if (!Window) return;
  String status;
  status.sprintf("%llu 帧", static_cast<unsigned long long>(Record_.NextSequence()));
  if (Paused) status += "（已暂停，记录继续）";
  if (Record_.LateFrames() > 0)
    status += String().sprintf("，%llu 帧晚到", static_cast<unsigned long long>(Record_.LateFrames()));
  if (!SaveName.IsEmpty())
    status +=
        "，保存到 " + SaveName + String().sprintf("（%llu 帧）", static_cast<unsigned long long>(Saver.FramesWritten));
  Window->SetStatus(status);
}
