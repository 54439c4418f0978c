#include "PanelCapture.h"

#include "DevicePanel.h"
#include "MenuItems.h"
#include "ReceiveArea.h"
#include "SavedFiles.h"

PanelCapture::PanelCapture(DevicePanel& Panel)
    : PanelFeature(Panel), CaptureItem(NewItem(Panel.Owner, "", 0, [this](TObject*) { CaptureOrStop(); })) {
  TMenuItem* saveShown = NewItem(Panel.Owner, Tr("Capture", "保存显示内容…"), 0, [this](TObject*) { SaveShownText(); });
  AddMenuItems(Panel.Owner, Panel.Memo, {CaptureItem, saveShown});
  ShowState();
}

void PanelCapture::CaptureOrStop() {
  if (_Capture.Active()) {
    Stop();
    return;
  }
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("Capture", "保存接收数据到文件");
  dialog.Filter = Tr("Capture", "所有文件 (*)|*");
  if (dialog.Execute()) Start(dialog.FileName);
}

void PanelCapture::Start(const String& FileName) {
  const DWORD dwError = _Capture.Start(FileName);
  if (dwError != ERROR_SUCCESS) TellCannotSave(FileName, dwError);
  Panel.StateChanged();
}

void PanelCapture::Stop() {
  _Capture.Stop();
  Panel.StateChanged();
}

void PanelCapture::StopAfterLastBlock() { _Capture.StopAfterLastBlock(); }

void PanelCapture::PortClosed(PortCloseReason Reason, bool BlocksFollow) {
  // A capture goes on after a lost port's reconnect.
  if (Reason == PortCloseReason::Lost) return;
  if (BlocksFollow)
    StopAfterLastBlock();
  else
    Stop();
}

void PanelCapture::Received(const ReceivedBlock& Block) { _Capture.Add(Block.Bytes, Block.dwCount, Block.bLast); }

void PanelCapture::Tick() {
  if (_Saver.Running()) {
    Panel.StateChanged();  // the tool tip says how far it came
  } else {
    _Saver.Collect();
  }
  const String failure = _Capture.TakeFailure();
  if (failure.IsEmpty()) return;
  Panel.StateChanged();
  ShowMessage(failure);
}

void PanelCapture::ShowState() {
  CaptureItem->Caption = _Capture.Active() ? Tr("Capture", "停止保存") : Tr("Capture", "保存接收数据到文件…");
}

String PanelCapture::Hint() const {
  if (_Saver.Running()) return Fill(Tr("Capture", "正在保存显示内容（%1%）"), {IntToStr(_Saver.Percent())});
  if (!_Capture.Active()) return String();
  return Fill(
      Tr("Capture", "保存到 %1（%2 字节）"),
      {_Capture.FileName(), String().sprintf("%llu", static_cast<unsigned long long>(_Capture.BytesWritten()))});
}

void PanelCapture::SaveShownText() {
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("Capture", "保存显示内容");
  dialog.Filter = Tr("Capture", "文本文件 (*.txt)|*.txt|所有文件 (*)|*");
  if (dialog.Execute()) SaveShownTextTo(dialog.FileName);
}

bool PanelCapture::SaveShownTextTo(const String& FileName) {
  // With no display choice made the text came from the ANSI code page and
  // goes back to it; with one made it may hold any character (an
  // encoding's, a byte's ⟨FF⟩ mark, the sent mark), which only a Unicode
  // encoding keeps, so it is written in UTF-8.
  Panel.Receive->ShowNow();  // the text the user sees, with what the next frame adds
  const bool ansi = !Panel.Receive->Choices().Any();
  if (Panel.Receive->InLog()) {
    // As much as a view keeps is written on a thread, the window going on.
    const DWORD dwError = _Saver.Start(FileName, Panel.Receive->Log()->TextNow(), ansi);
    if (dwError == ERROR_SUCCESS) {
      Panel.StateChanged();
      return true;
    }
    TellCannotSave(FileName, dwError);
    return false;
  }
  const String shown = Panel.Receive->ShownText();
  const std::string text = ansi ? AnsiString(shown).Bytes() : shown.Utf8();
  const DWORD dwError = SaveWholeFile(FileName, text);
  if (dwError == ERROR_SUCCESS) return true;
  TellCannotSave(FileName, dwError);
  return false;
}
