// A script's waits for what a port receives: a text or a regular expression
// within a time, a number of bytes, a quiet line. Each searches the text the
// panel's tap handed over since the last look, woken by every arrival, so
// that a match is seen within a millisecond or two of its last byte.
#include <algorithm>

#include "ScriptError.h"
#include "ScriptRegex.h"
#include "ScriptSession.h"

namespace {

// A match taken: it and what came before it.
ScriptSession::Expected Taken(ReceivedText& Text, const ReceivedText::Match& Match) {
  ScriptSession::Expected taken;
  taken.Found = true;
  Text.TakeThrough(Match, taken.Before, taken.Matched);
  taken.Groups = Match.Groups;
  return taken;
}

}  // namespace

ScriptSession::Expected ScriptSession::Expect(int Panel, const std::string& Text, DWORD TimeoutMs) {
  ReceivedText::Match match;
  if (!WaitUntil(Panel, TimeoutMs, [&](ReceivedText& received) { return received.Find(Text, match); }))
    return {false, "", texts_[Panel].Text(), {}};
  return Taken(texts_[Panel], match);
}

ScriptSession::Expected ScriptSession::Expect(int Panel, const ScriptRegex& Regex, DWORD TimeoutMs) {
  ReceivedText::Match match;
  if (!WaitUntil(Panel, TimeoutMs, [&](ReceivedText& received) { return received.Find(Regex, match); }))
    return {false, "", texts_[Panel].Text(), {}};
  return Taken(texts_[Panel], match);
}

bool ScriptSession::ReadBytes(int Panel, size_t Count, DWORD TimeoutMs, std::string& Bytes) {
  const bool whole =
      WaitUntil(Panel, TimeoutMs, [Count](ReceivedText& received) { return received.ByteCount() >= Count; });
  ReceivedText& text = texts_[Panel];
  if (whole) {
    Bytes = text.TakeBytes(Count);
    return true;
  }
  // Left to be taken: an expect after the time-out still sees them.
  Bytes = text.TakeBytes(text.ByteCount());
  text.Add(Bytes);
  return false;
}

bool ScriptSession::WaitQuiet(int Panel, DWORD QuietMs, DWORD TimeoutMs) {
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const ULONGLONG deadline = GetTickCount64() + TimeoutMs;
  for (;;) {
    Absorb(Panel, true);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Quiet since the newest byte, or since the wait began: the line is
    // quiet for QuietMs from now at the earliest.
    const LONGLONG last = std::max(taps_[Panel].Peek().LastArrival, start.QuadPart);
    const LONGLONG sinceMs = (now.QuadPart - last) * 1000 / frequency.QuadPart;
    const ULONGLONG tick = GetTickCount64();
    if (sinceMs >= static_cast<LONGLONG>(QuietMs)) return true;
    if (tick >= deadline) return false;
    const DWORD untilQuiet = static_cast<DWORD>(QuietMs - sinceMs);
    const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(untilQuiet, deadline - tick));
    const HANDLE handles[2] = {hEnd_, taps_[Panel].Changed()};
    if (WaitForMultipleObjects(2, handles, FALSE, wait) == WAIT_OBJECT_0) throw ScriptEnd();
  }
}

std::string ScriptSession::Pending(int Panel, bool Take) {
  Absorb(Panel, false);
  return Take ? texts_[Panel].TakeAll() : texts_[Panel].Text();
}
