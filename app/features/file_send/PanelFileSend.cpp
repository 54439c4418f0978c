#include "PanelFileSend.h"

#include <algorithm>

#include "DevicePanel.h"
#include "FileErrorText.h"
#include "MenuItems.h"

namespace {

String Count(ULONGLONG qwCount) { return String().sprintf("%llu", static_cast<unsigned long long>(qwCount)); }

}  // namespace

PanelFileSend::PanelFileSend(DevicePanel& Panel)
    : PanelFeature(Panel), SendFileItem(NewItem(Panel.Owner, "", 0, [this](TObject*) { SendOrCancel(); })) {
  // The first way of sending a file: as it is.
  SharedSubmenu(Panel.Owner, Panel.Edit, Tr("FileTransfer", "发送文件"))->Add(SendFileItem);
  ShowState();
}

bool PanelFileSend::Running() const { return Panel.Writer().File().Running; }

void PanelFileSend::SendOrCancel() {
  if (Running()) {
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
  if (!Panel.PortOpen() || Running()) return;
  const DWORD dwError = Panel.SendFile(FileName);
  if (dwError != ERROR_SUCCESS) {
    ShowMessage(Fill(Tr("FileSend", "不能发送文件 %1\n%2"), {FileName, FileErrorText(dwError)}));
    return;
  }
  _bStarted = true;
  _bPortLost = false;
  _FileName = FileName;
  Panel.StateChanged();
}

void PanelFileSend::Cancel() {
  Panel.Writer().CancelFile();
  Tick();
}

void PanelFileSend::PortClosing(PortCloseReason Reason) {
  if (Reason == PortCloseReason::Lost && Running()) _bPortLost = true;
}

void PanelFileSend::Tick() {
  if (!_bStarted || Running()) return;
  _bStarted = false;
  Panel.StateChanged();
  TellEnd(Panel.Writer().File().Result);
}

void PanelFileSend::TellEnd(DWORD Result) {
  const ULONGLONG qwSent = Panel.Writer().File().Sent;
  if (_bPortLost) {
    _bPortLost = false;
    ShowMessage(Fill(Tr("FileSend", "发送文件中断：%1\n%2\n已发送 %3 字节。"),
                     {Tr("FileSend", "端口的设备已断开。"), _FileName, Count(qwSent)}));
    return;
  }
  if (Result != ERROR_SUCCESS && Result != ERROR_OPERATION_ABORTED)
    ShowMessage(Fill(Tr("FileSend", "发送文件中断：%1\n%2\n已发送 %3 字节。"),
                     {FileErrorText(Result), _FileName, Count(qwSent)}));
}

String PanelFileSend::Progress() const {
  const PortWriter::FileProgress file = Panel.Writer().File();
  if (!file.Running) return String();
  if (file.Size == 0) return Fill(Tr("FileSend", " 发送 %1"), {Count(file.Sent)});
  return String().sprintf(" %d%%", static_cast<int>(std::min<ULONGLONG>(file.Sent * 100 / file.Size, 100)));
}

void PanelFileSend::ShowState() {
  SendFileItem->Caption = Running() ? Tr("FileSend", "取消发送文件") : Tr("FileSend", "原始…");
}

String PanelFileSend::Hint() const {
  const PortWriter::FileProgress file = Panel.Writer().File();
  if (!file.Running) return String();
  return Fill(Tr("FileSend", "发送文件 %1（%2 / %3 字节）"), {_FileName, Count(file.Sent), Count(file.Size)});
}
