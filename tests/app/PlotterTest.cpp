// The plotter as a panel's feature: recording only while its window is
// open, lines over several deliveries and a last line without an ending,
// times within a delivery, the CSV export and the remembered choices.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "DevicePanel.h"
#include "PanelPlotter.h"
#include "PlotterWindow.h"
#include "ReceivedBlock.h"
#include "SavedFiles.h"

namespace {

class Plotter : public ::testing::Test {
 protected:
  // A panel of the plotter's own: a memo and a hex box on a form, a
  // channel that is never opened.
  PanelWidgets Widgets() {
    memo->Parent = &owner;
    hex->Parent = &owner;
    return PanelWidgets{.Memo = memo, .Hex = hex};
  }
  DevicePanel& Panel() {
    panel.ChoicesChanged = [this] { ++choicesChanged; };
    return panel;
  }

  void Deliver(const std::string& bytes, bool last = false) {
    auto block = std::make_unique<ReceivedBlock>();
    block->pChannel = nullptr;
    block->dwOpening = 1;
    block->bLast = last;
    block->dwCount = static_cast<DWORD>(bytes.size());
    std::memcpy(block->Bytes, bytes.data(), bytes.size());
    plotter.Received(*block);
  }

  std::string TempPath(const char* name) {
    return ::testing::TempDir() + "plotter_" + std::to_string(getpid()) + "_" + name;
  }

  TForm owner{nullptr};
  TMemo* memo = new TMemo(&owner);
  TCheckBox* hex = new TCheckBox(&owner);
  int choicesChanged = 0;
  ReadData channel;
  ULONGLONG sentBytes = 0;
  ReceiveFrame frame{&owner};
  DevicePanel panel{0, &owner, Widgets(), channel, sentBytes, frame};
  PanelPlotter& plotter = Panel().Add<PanelPlotter>();
};

TEST_F(Plotter, RecordsOnlyWhileItsWindowIsOpenAndClosingEmptiesTheRecording) {
  Deliver("a:1,b:2\n");
  EXPECT_FALSE(plotter.Recording());
  EXPECT_EQ(plotter.Record().RowCount(), 0u);
  plotter.Item->Click();
  ASSERT_TRUE(plotter.Recording());
  EXPECT_TRUE(plotter.Window()->Showing());
  Deliver("a:1,b:2\n3 4\nno number here\n");
  EXPECT_EQ(plotter.Record().RowCount(), 2u);
  EXPECT_EQ(plotter.Record().SeriesCount(), 4u);
  plotter.Window()->Close();
  EXPECT_FALSE(plotter.Recording());
  EXPECT_FALSE(plotter.Window()->Showing());
  EXPECT_EQ(plotter.Record().RowCount(), 0u);
  Deliver("5\n");
  EXPECT_EQ(plotter.Record().RowCount(), 0u);
  // Opened again: a recording of its own, the series from none.
  plotter.Open();
  Deliver("x:5\n");
  EXPECT_EQ(plotter.Record().SeriesCount(), 1u);
  EXPECT_EQ(plotter.Record().SeriesName(0), "x");
}

TEST_F(Plotter, ALineInPiecesIsOneRowAndALastLineWithoutEndingIsTakenAtCloseOrAfterASecond) {
  plotter.Open();
  Deliver("a:1.");
  Deliver("5,b");
  Deliver(":2\r\na:3");
  ASSERT_EQ(plotter.Record().RowCount(), 1u);
  EXPECT_EQ(plotter.Record().Value(0, 0), 1.5);
  EXPECT_EQ(plotter.Record().Value(1, 0), 2);
  // The port closes: its last block takes the line left open.
  Deliver("", true);
  ASSERT_EQ(plotter.Record().RowCount(), 2u);
  EXPECT_EQ(plotter.Record().Value(0, 1), 3);
  // A device that prints its last value and stops: taken after ten quiet
  // ticks, not before; a delivery in between starts the count again.
  Deliver("a:4");
  for (int tick = 0; tick < 9; ++tick) plotter.Tick();
  Deliver("2");
  for (int tick = 0; tick < 9; ++tick) plotter.Tick();
  EXPECT_EQ(plotter.Record().RowCount(), 2u);
  plotter.Tick();
  ASSERT_EQ(plotter.Record().RowCount(), 3u);
  EXPECT_EQ(plotter.Record().Value(0, 2), 42);
  // Nothing open: ticks take nothing.
  for (int tick = 0; tick < 20; ++tick) plotter.Tick();
  EXPECT_EQ(plotter.Record().RowCount(), 3u);
}

TEST_F(Plotter, LinesOfOneDeliveryHaveRisingTimesEndingAtItsArrival) {
  plotter.Open();
  usleep(50 * 1000);
  Deliver("1\n2\n3\n4\n");
  const PlotRecording& record = plotter.Record();
  ASSERT_EQ(record.RowCount(), 4u);
  for (uint64_t row = 1; row < 4; ++row) EXPECT_LT(record.Time(row - 1), record.Time(row));
  // Spread over at most the 100 ms of a delivery.
  EXPECT_LE(record.Time(3) - record.Time(0), 0.1);
  EXPECT_GE(record.Time(0), 0);
}

TEST_F(Plotter, CsvExportHoldsEveryRowAndAnUnwritableFileIsReported) {
  plotter.Open();
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += "a:" + std::to_string(i) + ",b:" + std::to_string(-i) + "\n";
  for (size_t at = 0; at < lines.size(); at += 2000) Deliver(lines.substr(at, 2000));
  ASSERT_EQ(plotter.Record().RowCount(), 3000u);
  const std::string path = TempPath("export.csv");
  ASSERT_TRUE(plotter.Window()->ExportCsvTo(path.c_str()));
  EndSavedFiles();  // the writer has written the file
  std::ifstream file(path);
  std::string line;
  int rows = -1;
  std::string last;
  while (std::getline(file, line)) {
    ++rows;
    last = line;
  }
  EXPECT_EQ(rows, 3000);
  EXPECT_EQ(last.substr(0, 5), "3000,");
  EXPECT_NE(last.find(",2999,-2999\r"), std::string::npos) << last;
  std::remove(path.c_str());
}

TEST_F(Plotter, ChoicesAreRememberedAndDamagedOnesLeaveTheDefaults) {
  const std::string path = TempPath("choices.ini");
  {
    TIniFile ini(path.c_str());
    ini.WriteString("Panel1", "PlotAxis", "Sample");
    ini.WriteString("Panel1", "PlotSpan", "12.5");
    ini.WriteBool("Panel1", "PlotSpanInSeconds", true);
    ini.WriteBool("Panel1", "PlotAutoscale", false);
    ini.WriteString("Panel1", "PlotMin", "-3");
    ini.WriteString("Panel1", "PlotMax", "7e2");
    plotter.LoadChoices(ini, "Panel1");
    plotter.SaveChoices(ini, "Panel2");
    EXPECT_EQ(ini.ReadString("Panel2", "PlotAxis", ""), "Sample");
    EXPECT_EQ(ini.ReadString("Panel2", "PlotSpan", ""), "12.5");
    EXPECT_EQ(ini.ReadString("Panel2", "PlotMax", ""), "700");
    // Damaged: a span out of range, a range the wrong way round.
    ini.WriteString("Panel3", "PlotSpan", "1e300");
    ini.WriteString("Panel3", "PlotMin", "5");
    ini.WriteString("Panel3", "PlotMax", "nan");
    plotter.LoadChoices(ini, "Panel3");
    plotter.SaveChoices(ini, "Panel4");
    EXPECT_EQ(ini.ReadString("Panel4", "PlotAxis", ""), "Time");
    EXPECT_EQ(ini.ReadString("Panel4", "PlotSpan", ""), "500");
    EXPECT_EQ(ini.ReadString("Panel4", "PlotMin", ""), "0");
    EXPECT_EQ(ini.ReadString("Panel4", "PlotMax", ""), "100");
  }
  std::remove(path.c_str());
}

}  // namespace
