// The recording as CSV: a header of the sample number's and time's column
// names and the series' names, then one line per row held: its sample
// number (from 1), its time in seconds (to the millisecond) and each
// series' value, empty where the row has none. Values are written in the
// shortest form that reads back as the same double. Names are quoted, their
// quotes doubled. Lines end in CR LF.
//
// Recordings of several ports (the panel changed its port while the
// plotter was open) go in one table, each as it was, in order: a first
// column names each row's port, and the series are those of all of them by
// name, empty in the rows of a recording without them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "PlotRecording.h"

// Write takes the text in pieces of some tens of kilobytes and returns
// false to stop; the result is false when it did.
bool WritePlotCsv(const PlotRecording& Recording, std::string_view SampleColumn, std::string_view TimeColumn,
                  const std::function<bool(std::string_view Piece)>& Write);

struct PlotPart {
  std::string Port;
  const PlotRecording* Recording;
};
bool WritePlotCsv(const std::vector<PlotPart>& Parts, std::string_view PortColumn, std::string_view SampleColumn,
                  std::string_view TimeColumn, const std::function<bool(std::string_view Piece)>& Write);
