// The recording as CSV: a header of the sample number's and time's column
// names and the series' names, then one line per row held: its sample
// number (from 1), its time in seconds (to the millisecond) and each
// series' value, empty where the row has none. Values are written in the
// shortest form that reads back as the same double. Names are quoted, their
// quotes doubled. Lines end in CR LF.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "PlotRecording.h"

// Write takes the text in pieces of some tens of kilobytes and returns
// false to stop; the result is false when it did.
bool WritePlotCsv(const PlotRecording& Recording, std::string_view SampleColumn, std::string_view TimeColumn,
                  const std::function<bool(std::string_view Piece)>& Write);
