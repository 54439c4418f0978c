#include "ReceiveCapture.h"

#include "FileErrorText.h"

namespace {

// How long a capture's writer may write nothing at the end before it is
// taken to be stuck: the time the log's writer gets.
const DWORD kWriterStallMs = 500;

// The writer is still blocked in its write and uses the appender: it is
// left, with its file, to the ending process rather than waited for.
void EndOrLeave(std::unique_ptr<FileAppender>& appender) {
  if (appender && !appender->EndWhileWriting(kWriterStallMs)) static_cast<void>(appender.release());
}

}  // namespace

ReceiveCapture::~ReceiveCapture() {
  EndOrLeave(_Appender);
  EndOrLeave(_Closing);
  for (std::unique_ptr<FileAppender>& appender : _Finishing) EndOrLeave(appender);
}

DWORD ReceiveCapture::Start(const String& FileName) {
  Stop();
  auto appender = std::make_unique<FileAppender>();
  // File names reach the file calls as the file system spells them.
  const DWORD dwError = appender->Start(FileName.c_str());
  if (dwError != ERROR_SUCCESS) return dwError;
  _Appender = std::move(appender);
  _FileName = FileName;
  return ERROR_SUCCESS;
}

void ReceiveCapture::Stop() {
  if (!_Appender) return;
  _Appender->Finish();
  _Finishing.push_back(std::move(_Appender));
}

void ReceiveCapture::StopAfterLastBlock() {
  if (!_Appender) return;
  FinishClosing();  // an earlier close's block that never came
  _Closing = std::move(_Appender);
}

void ReceiveCapture::Add(const BYTE* pBytes, DWORD dwCount, bool bLast) {
  // Until the closed port's last block, the bytes are that port's.
  if (_Closing) {
    _Closing->Append(pBytes, dwCount);
    if (bLast) FinishClosing();
  } else if (_Appender) {
    _Appender->Append(pBytes, dwCount);
  }
}

void ReceiveCapture::FinishClosing() {
  if (!_Closing) return;
  _Closing->Finish();
  _Finishing.push_back(std::move(_Closing));
}

String ReceiveCapture::TakeFailure() {
  std::erase_if(_Finishing, [](const std::unique_ptr<FileAppender>& appender) { return appender->Ended(); });
  if (!_Appender || _Appender->Taking()) return String();

  String text;
  if (_Appender->Overflowed())
    text = Fill(Tr("Capture",
                   "保存接收数据已停止：收到的数据比写入磁盘快，等待写入的数据超过了上限。\n%1\n"
                   "文件里是停止之前收到的全部数据，之后收到的没有保存。端口仍然打开。"),
                {_FileName});
  else
    text = Fill(Tr("Capture", "保存接收数据已停止：%1。\n%2\n已写入 %3 字节，之后收到的没有保存。端口仍然打开。"),
                {FileErrorText(_Appender->Error()), _FileName,
                 String().sprintf("%llu", static_cast<unsigned long long>(_Appender->BytesWritten()))});
  Stop();
  return text;
}
