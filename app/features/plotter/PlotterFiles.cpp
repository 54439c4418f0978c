// The plotter window's exports: the whole recording as CSV (in the ANSI
// code page, as the names came), and the chart as shown as PNG.
#include "PlotCsv.h"
#include "PlotterWindow.h"
#include "SavedFiles.h"

namespace {

bool Saved(const String& FileName, DWORD dwError) {
  if (dwError == ERROR_SUCCESS) return true;
  TellCannotSave(FileName, dwError);
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
  std::string csv;
  const auto write = [&csv](std::string_view Piece) {
    csv.append(Piece);
    return true;
  };
  if (Parts) {
    const AnsiString port(Tr("Plotter", "串口"));
    WritePlotCsv(Parts(), port.c_str(), sample.c_str(), time.c_str(), write);
  } else {
    WritePlotCsv(recording_, sample.c_str(), time.c_str(), write);
  }
  return Saved(FileName, SaveWholeFile(FileName, std::move(csv)));
}

bool PlotterWindow::SavePictureTo(const String& FileName) {
  std::string png = chart_->PngImage();
  if (png.empty()) return Saved(FileName, ERROR_NOT_ENOUGH_MEMORY);
  return Saved(FileName, SaveWholeFile(FileName, std::move(png)));
}
