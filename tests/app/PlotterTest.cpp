// The plotter as a panel's feature: recording only while its window is
// open, lines over several deliveries and a last line without an ending,
// times within a delivery, the CSV export and the remembered choices.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <toolkit/testing.h>

#include "DevicePanel.h"
#include "PanelPlotter.h"
#include "PlotterWindow.h"
#include "ReceivedBlock.h"
#include "SavedFiles.h"

namespace {

template <typename T>
T* Find(TComponent* Owner, const std::string& Caption) {
  for (int index = 0; index < Owner->ComponentCount; ++index) {
    TComponent* component = Owner->Components[index];
    if (auto* match = dynamic_cast<T*>(component); match && match->Caption.Get().Utf8() == Caption) return match;
    if (T* inner = Find<T>(component, Caption)) return inner;
  }
  return nullptr;
}

class Plotter : public ::testing::Test {
 protected:
  // A panel of the plotter's own: a memo and a hex box on a form, a
  // channel that is never opened.
  PanelWidgets Widgets() {
    memo->Parent = &owner;
    hex->Parent = &owner;
    port->Parent = &owner;
    port->Text = "COM3";
    return PanelWidgets{.Port = port, .Memo = memo, .Hex = hex};
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
  TComboBox* port = new TComboBox(&owner);
  int choicesChanged = 0;
  ReadData channel;
  ULONGLONG sentBytes = 0;
  ReceiveFrame frame{&owner, 848, 419};
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

TEST_F(Plotter, EscapeAndCtrlWCloseTheWindowAsItsCloseButtonDoes) {
  plotter.Item->Click();
  PressKeyForTesting(plotter.Window()->Form(), VK_ESCAPE);
  EXPECT_FALSE(plotter.Window()->Showing());
  EXPECT_FALSE(plotter.Recording());
  plotter.Open();
  PressKeyForTesting(plotter.Window()->Form(), 'W', true);
  EXPECT_FALSE(plotter.Window()->Showing());
  plotter.Open();
  PressKeyForTesting(plotter.Window()->Form(), 'W');
  EXPECT_TRUE(plotter.Window()->Showing()) << "W alone is no key of the window's";
}

TEST_F(Plotter, ALineOfThousandsOfNumbersRecordsItsFirstSixteenSeriesAndCountsTheRest) {
  plotter.Item->Click();
  std::string line;
  for (int n = 1; n <= 3000; ++n) line += std::to_string(n) + (n < 3000 ? "," : "\n");
  for (size_t at = 0; at < line.size(); at += kReceiveBufferSize) Deliver(line.substr(at, kReceiveBufferSize));
  EXPECT_EQ(plotter.Record().RowCount(), 1u);
  EXPECT_EQ(plotter.Record().SeriesCount(), kMaxPlotSeries);
  EXPECT_EQ(plotter.Record().IgnoredValues(), 3000u - kMaxPlotSeries);
}

TEST_F(Plotter, AnotherPortStartsARecordingOfItsOwnAndTheExportKeepsEachAsItWas) {
  plotter.Item->Click();
  Deliver("temp:21.5\ntemp:21.7\nhalf a li");
  port->Text = "COM4";  // the panel moved to the modem's port
  plotter.PortOpened();
  Deliver("ne\nOK 5\n");
  ASSERT_EQ(plotter.Record().RowCount(), 1u) << "the sensor's half line is not joined to the modem's";
  ASSERT_EQ(plotter.Record().SeriesCount(), 1u);
  EXPECT_EQ(plotter.Record().SeriesName(0), "1");
  EXPECT_EQ(plotter.Record().Value(0, plotter.Record().FirstRow()), 5);

  const std::string path = TempPath("ports.csv");
  ASSERT_TRUE(plotter.Window()->ExportCsvTo(path.c_str()));
  EndSavedFiles();  // the writer has written the file
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> rows;
  for (std::string line; std::getline(file, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::count(rows[0].begin(), rows[0].end(), ','), 4) << "port, sample, time and two series";
  EXPECT_NE(rows[0].find(",\"temp\",\"1\"\r"), std::string::npos) << "every port's series";
  EXPECT_EQ(rows[1].rfind("\"COM3\",1,", 0), 0u) << rows[1];
  EXPECT_NE(rows[1].find(",21.5,\r"), std::string::npos) << rows[1];
  EXPECT_EQ(rows[2].rfind("\"COM3\",2,", 0), 0u) << rows[2];
  EXPECT_EQ(rows[3].rfind("\"COM4\",1,", 0), 0u) << "numbered afresh: " << rows[3];
  EXPECT_NE(rows[3].find(",,5\r"), std::string::npos) << rows[3];

  // Cleared, only what comes from now on is kept.
  Find<TButton>(plotter.Window()->Form(), "清除(&C)")->Click();
  Deliver("OK 6\n");
  ASSERT_TRUE(plotter.Window()->ExportCsvTo(path.c_str()));
  EndSavedFiles();
  std::ifstream again(path, std::ios::binary);
  std::string header, row, none;
  std::getline(again, header);
  std::getline(again, row);
  EXPECT_EQ(row.substr(0, 2), "1,") << "one port: no port column";
  EXPECT_FALSE(std::getline(again, none));
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
