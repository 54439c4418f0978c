#include "ShownTextSaver.h"

#include <string>

#include "SavedFiles.h"

namespace {

// Read a piece at a time; no more than this waits for the disk.
constexpr size_t kPiece = 4 * 1024 * 1024;
constexpr ULONGLONG kWaitingMost = 16 * 1024 * 1024;

// The length of text less a UTF-8 character cut at its end.
size_t WholeCharacters(const std::string& text) {
  for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

}  // namespace

ShownTextSaver::~ShownTextSaver() {
  EndThread();
  Collect();
}

DWORD ShownTextSaver::Start(const String& FileName, const TLogText& Text, bool Ansi) {
  if (_hThread != nullptr) return ERROR_BUSY;
  // Past the limit the saver itself stops feeding: the queue is never the
  // reason a save stops.
  auto appender = std::make_unique<FileAppender>(2 * kWaitingMost + kPiece * 3);
  const DWORD dwError = appender->Start(FileName.c_str());
  if (dwError != ERROR_SUCCESS) return dwError;
  _Appender = std::move(appender);
  _Text = Text;
  _bAnsi = Ansi;
  _FileName = FileName;
  _qwRead = 0;
  _hThread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  if (_hThread == nullptr) {
    const DWORD dwThreadError = GetLastError();
    _Appender->Finish();
    Collect();
    return dwThreadError != ERROR_SUCCESS ? dwThreadError : ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

bool ShownTextSaver::Running() const { return _hThread != nullptr && WaitForSingleObject(_hThread, 0) == WAIT_TIMEOUT; }

void ShownTextSaver::Collect() {
  if (Running()) return;
  EndThread();
  if (_Appender) RetireFileWriter(std::move(_Appender), _FileName, true);
}

int ShownTextSaver::Percent() const {
  const ULONGLONG size = _Text.Size();
  return size == 0 ? 100 : static_cast<int>(_qwRead * 100 / size);
}

void ShownTextSaver::EndThread() {
  if (_hThread == nullptr) return;
  WaitForSingleObject(_hThread, INFINITE);
  CloseHandle(_hThread);
  _hThread = nullptr;
}

DWORD WINAPI ShownTextSaver::ThreadEntry(LPVOID pThis) {
  static_cast<ShownTextSaver*>(pThis)->Run();
  return 0;
}

void ShownTextSaver::Run() {
  FileAppender& appender = *_Appender;
  std::string piece;  // a character cut at a piece's end waits here for its rest
  ULONGLONG handed = 0;
  for (ULONGLONG at = 0; at < _Text.Size();) {
    const size_t held = piece.size();
    piece.resize(held + kPiece);
    const size_t got = _Text.Read(at, piece.data() + held, kPiece);
    piece.resize(held + got);
    at += got;
    const size_t whole = at < _Text.Size() ? WholeCharacters(piece) : piece.size();
    std::string text = piece.substr(0, whole);
    piece.erase(0, whole);
    if (_bAnsi) text = AnsiString(String(std::move(text))).Bytes();
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
      if (c == '\n') out += '\r';
      out += c;
    }
    // The writer holds no more than kWaitingMost at a time.
    while (handed - appender.BytesWritten() > kWaitingMost && appender.Taking()) Sleep(2);
    handed += out.size();
    // A writer that failed takes no more; the saved files tell why.
    if (!appender.Append(std::move(out))) break;
    _qwRead = at;
  }
  appender.Finish();
}
