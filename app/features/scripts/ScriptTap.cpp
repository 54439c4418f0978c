#include "ScriptTap.h"

#include <algorithm>

ScriptTap::ScriptTap() : _hChanged(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

ScriptTap::~ScriptTap() { CloseHandle(_hChanged); }

void ScriptTap::Tapped(const BYTE* pBytes, DWORD dwCount) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  {
    InnerLocker guard(&_Lock);
    if (_Bytes.size() + dwCount > kHeldBytes) _Bytes.erase(0, std::min(_Bytes.size(), kHeldBytes / 2 + dwCount));
    _Bytes.append(reinterpret_cast<const char*>(pBytes), dwCount);
    _State.LastArrival = now.QuadPart;
  }
  SetEvent(_hChanged);
}

void ScriptTap::Begin(bool Open) {
  InnerLocker guard(&_Lock);
  _Bytes.clear();
  _State.Open = Open;
  _State.Changes = 0;
  _State.LastArrival = 0;
}

void ScriptTap::SetFacts(const std::string& PortName, UINT CodePage) {
  InnerLocker guard(&_Lock);
  _State.PortName = PortName;
  _State.CodePage = CodePage;
}

void ScriptTap::PortOpened() {
  {
    InnerLocker guard(&_Lock);
    _State.Open = true;
    ++_State.Changes;
  }
  SetEvent(_hChanged);
}

void ScriptTap::PortClosed(PortCloseReason Reason) {
  {
    InnerLocker guard(&_Lock);
    _State.Open = false;
    _State.LastClose = Reason;
    ++_State.Changes;
  }
  SetEvent(_hChanged);
}

ScriptTap::State ScriptTap::Take(std::string& Bytes) {
  InnerLocker guard(&_Lock);
  if (Bytes.empty())
    Bytes.swap(_Bytes);
  else
    Bytes += _Bytes;
  _Bytes.clear();
  return _State;
}

ScriptTap::State ScriptTap::Peek() const {
  InnerLocker guard(&_Lock);
  return _State;
}
