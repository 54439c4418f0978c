// The record of a link: runs grouped into frames per port, merged in time.
#include "LinkRecord.h"

#include <algorithm>
#include <utility>

void LinkRecord::SetFrameGap(int Port, ULONGLONG Intervals) {
  Sources[Port * 2].Gap = Intervals;
  Sources[Port * 2 + 1].Gap = Intervals;
}

void LinkRecord::SetLimit(size_t Bytes) {
  Limit = Bytes;
  Trim();
}

void LinkRecord::Add(int Port, bool Sent, const std::string& Name, ULONGLONG Time, const BYTE* Bytes, size_t Count,
                     BYTE Lines) {
  Source& source = Sources[Port * 2 + (Sent ? 1 : 0)];
  while (Count > 0) {
    LinkFrame* frame = source.Open ? &source.Waiting.back() : nullptr;
    // A read that comes after the gap, from another port name, or onto a
    // full frame starts the next one.
    if (frame && (Time > frame->End + source.Gap || Time < frame->End || frame->Name != Name ||
                  frame->Bytes.size() >= kMaxFrameBytes))
      frame = nullptr;
    if (!frame) {
      source.Waiting.push_back(LinkFrame{0, Port, Sent, Name, Time, Time, std::string(), Lines});
      source.Open = true;
      frame = &source.Waiting.back();
    }
    const size_t taken = std::min(Count, kMaxFrameBytes - frame->Bytes.size());
    frame->Bytes.append(reinterpret_cast<const char*>(Bytes), taken);
    frame->End = Time;
    Bytes += taken;
    Count -= taken;
  }
}

void LinkRecord::AddBreak(int Port, const std::string& Name, ULONGLONG Time, DWORD Ms) {
  Source& source = Sources[Port * 2 + 1];
  LinkFrame frame{0, Port, true, Name, Time, Time, std::string(), 0};
  frame.BreakMs = Ms;
  source.Waiting.push_back(std::move(frame));
  // What the panel sends after the break is a frame of its own.
  source.Open = false;
}

void LinkRecord::EndFrames(int Port) {
  Sources[Port * 2].Open = false;
  Sources[Port * 2 + 1].Open = false;
}

LinkRecord::Source* LinkRecord::Earliest() {
  Source* earliest = nullptr;
  for (Source& source : Sources) {
    if (source.Waiting.empty()) continue;
    if (!earliest || source.Waiting.front().Start < earliest->Waiting.front().Start) earliest = &source;
  }
  return earliest;
}

bool LinkRecord::Settle(ULONGLONG Now) {
  bool moved = false;
  for (Source* source = Earliest(); source && source->Waiting.front().Start + kHold <= Now; source = Earliest()) {
    // A frame still growing after kHold is cut here; its next bytes start
    // another.
    if (source->Waiting.size() == 1) source->Open = false;
    Store1(std::move(source->Waiting.front()));
    source->Waiting.pop_front();
    moved = true;
  }
  Trim();
  return moved;
}

void LinkRecord::Store1(LinkFrame&& Frame) {
  if (Frame.Start < LastStart) ++Late;
  LastStart = std::max(LastStart, Frame.Start);
  Frame.Sequence = Next++;
  StoredBytes += Frame.Bytes.size();
  Store.push_back(std::move(Frame));
}

void LinkRecord::Trim() {
  while (Limit > 0 && StoredBytes > Limit && !Store.empty()) {
    StoredBytes -= Store.front().Bytes.size();
    Store.pop_front();
  }
}

void LinkRecord::Clear() {
  for (Source& source : Sources) {
    source.Waiting.clear();
    source.Open = false;
  }
  Store.clear();
  StoredBytes = 0;
}
