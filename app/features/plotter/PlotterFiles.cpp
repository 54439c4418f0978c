// The plotter window's exports: the whole recording as CSV (in the ANSI
// code page, as the names came), and the chart as shown as PNG.
#include "FileErrorText.h"
#include "PlotCsv.h"
#include "PlotterWindow.h"

namespace {

using PieceWriter = std::function<bool(std::string_view Piece)>;

// Makes FileName anew and writes into it what Produce hands to its writer;
// the error of the first call that failed, or ERROR_SUCCESS.
DWORD WriteNewFile(const String& FileName, const std::function<bool(const PieceWriter&)>& Produce) {
  const HANDLE hFile =
      CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD dwError = ERROR_SUCCESS;
  Produce([&](std::string_view Piece) {
    DWORD dwWritten = 0;
    if (!WriteFile(hFile, Piece.data(), static_cast<DWORD>(Piece.size()), &dwWritten, nullptr))
      dwError = GetLastError();
    else if (dwWritten != Piece.size())
      dwError = ERROR_WRITE_FAULT;
    return dwError == ERROR_SUCCESS;
  });
  CloseHandle(hFile);
  return dwError;
}

bool Saved(const String& FileName, DWORD dwError) {
  if (dwError == ERROR_SUCCESS) return true;
  ShowMessage(Fill(Tr("Plotter", "不能保存到 %1\n%2"), {FileName, FileErrorText(dwError)}));
  return false;
}

}  // namespace

void PlotterWindow::ExportCsv() {
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("Plotter", "导出记录为 CSV");
  dialog.Filter = Tr("Plotter", "CSV 文件 (*.csv)|*.csv|所有文件 (*)|*");
  if (dialog.Execute()) ExportCsvTo(dialog.FileName);
}

void PlotterWindow::SavePicture() {
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("Plotter", "保存图表为图片");
  dialog.Filter = Tr("Plotter", "PNG 图片 (*.png)|*.png|所有文件 (*)|*");
  if (dialog.Execute()) SavePictureTo(dialog.FileName);
}

bool PlotterWindow::ExportCsvTo(const String& FileName) {
  const AnsiString sample(Tr("Plotter", "序号")), time(Tr("Plotter", "时间(秒)"));
  return Saved(FileName, WriteNewFile(FileName, [&](const PieceWriter& Write) {
                 return WritePlotCsv(recording_, sample.c_str(), time.c_str(), Write);
               }));
}

bool PlotterWindow::SavePictureTo(const String& FileName) {
  const std::string png = chart_->PngImage();
  if (png.empty()) return Saved(FileName, ERROR_NOT_ENOUGH_MEMORY);
  return Saved(FileName, WriteNewFile(FileName, [&](const PieceWriter& Write) { return Write(png); }));
}
