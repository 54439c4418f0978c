#include "SessionLogFile.h"

#include <shlobj.h>
#include <string>

#include "FileErrorText.h"
#include "SavedFiles.h"

namespace {

bool Exists(const String& Path) { return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Whether something stands at Path that a new log must not replace: a file
// or a folder. A device or a pipe named by the pattern is written to.
bool Taken(const String& Path) {
  const DWORD attributes = GetFileAttributesA(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
}

// Name, or name-2, name-3... before the extension: the first no file has.
String FreeName(const String& Folder, const String& Name) {
  const std::string& name = Name.Utf8();
  const size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = stem.size() == name.size() ? std::string() : name.substr(stem.size());
  String path = Folder + "/" + Name;
  for (int i = 2; Taken(path) && i < 10000; ++i)
    path = Folder + "/" + String(stem + "-" + std::to_string(i) + extension);
  return path;
}

}  // namespace

SessionLogFile::~SessionLogFile() { Retire(true); }

DWORD SessionLogFile::Start(const SessionLogChoices& Choices, const String& Port, const SYSTEMTIME& At) {
  Stop();
  choices_ = Choices;
  port_ = Port;
  failure_ = String();
  return Open(At);
}

DWORD SessionLogFile::Open(const SYSTEMTIME& At) {
  const String folder = choices_.FolderInUse();
  fileName_ = folder + "/" + SessionFileName(choices_.Pattern, port_, At);
  const int made = SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS) return static_cast<DWORD>(made);
  fileName_ = FreeName(folder, SessionFileName(choices_.Pattern, port_, At));
  auto appender = std::make_unique<FileAppender>();
  // File names reach the file calls as the file system spells them.
  const DWORD error = appender->Start(fileName_.c_str());
  if (error != ERROR_SUCCESS) return error;
  appender_ = std::move(appender);
  day_ = At;
  given_ = 0;
  return ERROR_SUCCESS;
}

void SessionLogFile::Retire(bool TellFailure) {
  if (!appender_) return;
  appender_->Finish();
  RetireFileWriter(std::move(appender_), fileName_, TellFailure);
}

void SessionLogFile::Stop() { Retire(true); }

bool SessionLogFile::OtherDay(const SYSTEMTIME& At) const {
  return At.wYear != day_.wYear || At.wMonth != day_.wMonth || At.wDay != day_.wDay;
}

bool SessionLogFile::Next(const SYSTEMTIME& At) {
  Retire(true);
  const DWORD error = Open(At);
  if (error == ERROR_SUCCESS) {
    newFile_ = true;
    return true;
  }
  failure_ = Fill(Tr("SessionLog", "会话日志已停止：不能建立新文件 %1\n%2"), {fileName_, FileErrorText(error)});
  return false;
}

void SessionLogFile::Add(const std::string& Utf8, const SYSTEMTIME& At) {
  if (!appender_ || Utf8.empty()) return;
  const ULONGLONG limit = static_cast<ULONGLONG>(choices_.SizeMiB) * 1024 * 1024;
  if ((choices_.Midnight && OtherDay(At)) || (limit > 0 && given_ > 0 && given_ + Utf8.size() > limit))
    if (!Next(At)) return;
  if (appender_->Append(Utf8.data(), static_cast<DWORD>(Utf8.size()))) given_ += Utf8.size();
}

void SessionLogFile::Check(const SYSTEMTIME& At) {
  if (!appender_ || !appender_->Taking()) return;
  if (choices_.Midnight && OtherDay(At)) {
    Next(At);
  } else if (!Exists(fileName_)) {
    // Removed while in use: what it held went with it, what follows goes to
    // a new file rather than to one nobody can open.
    appender_->Finish();
    RetireFileWriter(std::move(appender_), fileName_, false);
    Next(At);
  }
}

bool SessionLogFile::NewFileStarted() {
  const bool started = newFile_;
  newFile_ = false;
  return started;
}

String SessionLogFile::TakeFailure() {
  if (!failure_.IsEmpty()) {
    String failure = failure_;
    failure_ = String();
    return failure;
  }
  if (!appender_ || appender_->Taking()) return String();
  String text;
  if (appender_->Overflowed())
    text = Fill(Tr("SessionLog",
                   "会话日志已停止：收到的数据比写入磁盘快，等待写入的数据超过了上限。\n%1\n"
                   "文件里是停止之前的全部内容，之后的没有记录。端口仍然打开。"),
                {fileName_});
  else
    text = Fill(Tr("SessionLog", "会话日志已停止：%1。\n%2\n已写入 %3 字节，之后的没有记录。端口仍然打开。"),
                {FileErrorText(appender_->Error()), fileName_,
                 String().sprintf("%llu", static_cast<unsigned long long>(appender_->BytesWritten()))});
  // Told here: the saved files need not tell it again.
  appender_->Finish();
  RetireFileWriter(std::move(appender_), fileName_, false);
  return text;
}
