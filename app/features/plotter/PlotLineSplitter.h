// Cuts the bytes a port delivers into lines for the plotter. A line ends at
// CR or LF (a CR LF pair gives an empty line between, which holds no
// number). A line may come in pieces over several deliveries; the piece
// left open is kept until its line ends or Flush takes it. A line longer
// than kMaxPlotLineBytes is handed on in parts cut between tokens as it
// comes, so that its numbers are read while memory stays bounded however
// long it grows; a single token longer than that is no number and is
// skipped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr size_t kMaxPlotLineBytes = 4096;

class PlotLineSplitter {
 public:
  // A line, or a part of one cut between two tokens; LineEnds with its
  // last part (an empty one when the line ended right after a cut).
  using PartHandler = std::function<void(std::string_view Part, bool LineEnds)>;

  // Hands on each line that ends in Bytes, without its ending, and the
  // parts of an overlong one.
  void Take(std::string_view Bytes, const PartHandler& OnPart);
  // Hands on the line left open, if any, as if it had ended.
  void Flush(const PartHandler& OnPart);
  // Bytes are waiting for their line's end.
  bool Open() const { return !open_.empty() || cut_; }
  void Clear();

 private:
  void Append(std::string_view Piece, const PartHandler& OnPart);

  std::string open_;
  bool cut_ = false;            // parts of the open line were handed on
  bool skippingToken_ = false;  // the open token passed the limit: skipped to its end
};
