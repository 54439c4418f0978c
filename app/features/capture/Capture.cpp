// The receive area's context menu: capturing every received byte to a
// file, and saving the text the memo shows.
#include "FileErrorText.h"
#include "Unit1.h"

void TForm1::CaptureOrStop(int Index) {
  if (Captures[Index].Active()) {
    StopCapture(Index);
    return;
  }
  TSaveDialog dialog(nullptr);
  dialog.Title = "保存接收数据到文件";
  dialog.Filter = "所有文件 (*)|*";
  if (dialog.Execute()) StartCapture(Index, dialog.FileName);
}

void TForm1::StartCapture(int Index, const String& FileName) {
  const DWORD dwError = Captures[Index].Start(FileName);
  if (dwError != ERROR_SUCCESS) ShowMessage("不能保存到 " + FileName + "\n" + FileErrorText(dwError));
  ShowPanelState(Index);
}

void TForm1::StopCapture(int Index) {
  Captures[Index].Stop();
  ShowPanelState(Index);
}

void TForm1::CollectCaptureFailure(int Index) {
  const String failure = Captures[Index].TakeFailure();
  if (failure.IsEmpty()) return;
  ShowPanelState(Index);
  ShowMessage(failure);
}

void TForm1::SaveShownText(int Index) {
  TSaveDialog dialog(nullptr);
  dialog.Title = "保存显示内容";
  dialog.Filter = "文本文件 (*.txt)|*.txt|所有文件 (*)|*";
  if (dialog.Execute()) SaveShownTextTo(Index, dialog.FileName);
}

bool TForm1::SaveShownTextTo(int Index, const String& FileName) {
  // The memo holds a few kilobytes at most: written here, at once, in the
  // ANSI code page as the program's text is.
  ReceiveAreas[Index]->ShowNow();  // the text the user sees, with what the next frame adds
  const AnsiString text(Panels[Index].Memo->Text);
  const HANDLE hFile =
      CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD dwError = ERROR_SUCCESS;
  if (hFile == INVALID_HANDLE_VALUE) {
    dwError = GetLastError();
  } else {
    DWORD dwWritten = 0;
    if (!WriteFile(hFile, text.c_str(), static_cast<DWORD>(text.Length()), &dwWritten, nullptr))
      dwError = GetLastError();
    CloseHandle(hFile);
  }
  if (dwError == ERROR_SUCCESS) return true;
  ShowMessage("不能保存到 " + FileName + "\n" + FileErrorText(dwError));
  return false;
}
