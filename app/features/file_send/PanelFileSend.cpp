#include "PanelFileSend.h"

#include <algorithm>

#include "FileErrorText.h"
#include "MenuItems.h"

namespace {

String Count(ULONGLONG qwCount) { return String().sprintf("%llu", static_cast<unsigned long long>(qwCount)); }

}  // namespace

PanelFileSend::PanelFileSend(PanelParts& Panel)
    : PanelFeature(Panel), SendFileItem(NewItem(Panel.Owner, "", 0, [this](TObject*) { SendOrCancel(); })) {
  AddMenuItems(Panel.Owner, Panel.Edit, {SendFileItem});
  ShowState();
}

void PanelFileSend::SendOrCancel() {
  if (_Sender.Running()) {
    Cancel();
    return;
  }
  if (!Panel.PortOpen()) {
    ShowMessage(Tr("FileSend", "请先打开端口，再发送文件。"));
    return;
  }
  TOpenDialog dialog(nullptr);
  dialog.Title = Tr("FileSend", "发送文件");
  dialog.Filter = Tr("FileSend", "所有文件 (*)|*");
  if (dialog.Execute()) Start(dialog.FileName);
}

void PanelFileSend::Start(const String& FileName) {
  if (!Panel.PortOpen() || _Sender.Running()) return;
  const ReadData& channel = *Panel.Channel;
  // File names reach the file calls as the file system spells them.
  const DWORD dwError = _Sender.Start(FileName.c_str(), channel._hComm, channel._Dcb.BaudRate);
  if (dwError != ERROR_SUCCESS) {
    ShowMessage(Fill(Tr("FileSend", "不能发送文件 %1\n%2"), {FileName, FileErrorText(dwError)}));
    return;
  }
  _bStarted = true;
  _FileName = FileName;
  Panel.StateChanged();
}

void PanelFileSend::Cancel() {
  _Sender.Cancel();
  Tick();
}

void PanelFileSend::Tick() {
  *Panel.SentBytes += _Sender.TakeNewlySent();
  if (!_bStarted || _Sender.Running()) return;
  _bStarted = false;
  Panel.StateChanged();
  const DWORD dwResult = _Sender.Result();
  if (dwResult != ERROR_SUCCESS && dwResult != ERROR_OPERATION_ABORTED)
    ShowMessage(Fill(Tr("FileSend", "发送文件中断：%1\n%2\n已发送 %3 字节。"),
                     {FileErrorText(dwResult), _FileName, Count(_Sender.BytesSent())}));
}

String PanelFileSend::Progress() const {
  if (!_Sender.Running()) return String();
  const ULONGLONG qwSize = _Sender.FileSize();
  const ULONGLONG qwSent = _Sender.BytesSent();
  if (qwSize == 0) return Fill(Tr("FileSend", " 发送 %1"), {Count(qwSent)});
  return String().sprintf(" %d%%", static_cast<int>(std::min<ULONGLONG>(qwSent * 100 / qwSize, 100)));
}

void PanelFileSend::ShowState() {
  SendFileItem->Caption = _Sender.Running() ? Tr("FileSend", "取消发送文件") : Tr("FileSend", "发送文件…");
}

String PanelFileSend::Hint() const {
  if (!_Sender.Running()) return String();
  return Fill(Tr("FileSend", "发送文件 %1（%2 / %3 字节）"),
              {_FileName, Count(_Sender.BytesSent()), Count(_Sender.FileSize())});
}
