#include "PlotLineSplitter.h"

void PlotLineSplitter::Take(std::string_view Bytes, const LineHandler& OnLine) {
  while (!Bytes.empty()) {
    const size_t end = Bytes.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      Append(Bytes);
      return;
    }
    if (open_.empty() && !overlong_ && end <= kMaxPlotLineBytes) {
      // The whole line is in this delivery: no copy.
      OnLine(Bytes.substr(0, end));
    } else {
      Append(Bytes.substr(0, end));
      Flush(OnLine);
    }
    Bytes.remove_prefix(end + 1);
  }
}

void PlotLineSplitter::Flush(const LineHandler& OnLine) {
  if (overlong_)
    ++droppedLines_;
  else if (!open_.empty())
    OnLine(open_);
  Clear();
}

void PlotLineSplitter::Clear() {
  open_.clear();
  overlong_ = false;
}

void PlotLineSplitter::Append(std::string_view Piece) {
  if (overlong_) return;
  if (open_.size() + Piece.size() > kMaxPlotLineBytes) {
    overlong_ = true;
    std::string().swap(open_);
    return;
  }
  open_.append(Piece);
}
