#include "PlotLineSplitter.h"

namespace {

bool IsTokenSeparator(char c) { return c == ',' || c == ' ' || c == '\t'; }

}  // namespace

void PlotLineSplitter::Take(std::string_view Bytes, const PartHandler& OnPart) {
  while (!Bytes.empty()) {
    const size_t end = Bytes.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      Append(Bytes, OnPart);
      return;
    }
    if (open_.empty() && !cut_ && !skippingToken_ && end <= kMaxPlotLineBytes) {
      // The whole line is in this delivery: no copy.
      OnPart(Bytes.substr(0, end), true);
    } else {
      Append(Bytes.substr(0, end), OnPart);
      Flush(OnPart);
    }
    Bytes.remove_prefix(end + 1);
  }
}

void PlotLineSplitter::Flush(const PartHandler& OnPart) {
  if (!open_.empty() || cut_) OnPart(open_, true);
  Clear();
}

void PlotLineSplitter::Clear() {
  open_.clear();
  cut_ = false;
  skippingToken_ = false;
}

void PlotLineSplitter::Append(std::string_view Piece, const PartHandler& OnPart) {
  if (skippingToken_) {
    size_t next = 0;
    while (next < Piece.size() && !IsTokenSeparator(Piece[next])) ++next;
    if (next == Piece.size()) return;
    skippingToken_ = false;
    Piece.remove_prefix(next);
  }
  open_.append(Piece);
  while (open_.size() > kMaxPlotLineBytes) {
    // Too long to hold: what ends with the last whole token goes on now.
    size_t cut = open_.size();
    while (cut > 0 && !IsTokenSeparator(open_[cut - 1])) --cut;
    cut_ = true;
    if (cut == 0) {
      // All that is held is one token longer than the limit.
      skippingToken_ = true;
      std::string().swap(open_);
      return;
    }
    OnPart(std::string_view(open_).substr(0, cut), false);
    open_.erase(0, cut);
  }
}
