// Sending a file through a panel's port from the send line's context menu:
// its progress in the counter panel, a cancel, and its bytes in S:.
#include <algorithm>

#include "FileErrorText.h"
#include "Unit1.h"

void TForm1::SendFileOrCancel(int Index) {
  if (FileSends[Index].Running()) {
    CancelFileSend(Index);
    return;
  }
  if (Channels[Index]._hComm == INVALID_HANDLE_VALUE) {
    ShowMessage("请先打开端口，再发送文件。");
    return;
  }
  TOpenDialog dialog(nullptr);
  dialog.Title = "发送文件";
  dialog.Filter = "所有文件 (*)|*";
  if (dialog.Execute()) StartFileSend(Index, dialog.FileName);
}

void TForm1::StartFileSend(int Index, const String& FileName) {
  const HANDLE hComm = Channels[Index]._hComm;
  if (hComm == INVALID_HANDLE_VALUE || FileSends[Index].Running()) return;
  const DWORD dwBaudRate = Channels[Index]._Dcb.BaudRate;
  // File names reach the file calls as the file system spells them.
  const DWORD dwError = FileSends[Index].Start(FileName.c_str(), hComm, dwBaudRate);
  if (dwError != ERROR_SUCCESS) {
    ShowMessage("不能发送文件 " + FileName + "\n" + FileErrorText(dwError));
    return;
  }
  FileSendStarted[Index] = true;
  FileSendNames[Index] = FileName;
  ShowPanelState(Index);
}

void TForm1::CancelFileSend(int Index) {
  FileSends[Index].Cancel();
  CollectFileSend(Index);
}

void TForm1::CollectFileSend(int Index) {
  PanelSentBytes[Index] += FileSends[Index].TakeNewlySent();
  if (!FileSendStarted[Index] || FileSends[Index].Running()) return;
  FileSendStarted[Index] = false;
  ShowPanelState(Index);
  const DWORD dwResult = FileSends[Index].Result();
  if (dwResult != ERROR_SUCCESS && dwResult != ERROR_OPERATION_ABORTED)
    ShowMessage(
        "发送文件中断：" + FileErrorText(dwResult) + "\n" + FileSendNames[Index] +
        String().sprintf("\n已发送 %llu 字节。", static_cast<unsigned long long>(FileSends[Index].BytesSent())));
}

String TForm1::FileSendProgress(int Index) {
  if (!FileSends[Index].Running()) return String();
  const ULONGLONG qwSize = FileSends[Index].FileSize();
  const ULONGLONG qwSent = FileSends[Index].BytesSent();
  if (qwSize == 0) return String().sprintf(" 发送 %llu", static_cast<unsigned long long>(qwSent));
  return String().sprintf(" %d%%", static_cast<int>(std::min<ULONGLONG>(qwSent * 100 / qwSize, 100)));
}
