// Cuts the bytes a port delivers into lines for the plotter. A line ends at
// CR or LF (a CR LF pair gives an empty line between, which holds no
// number). A line may come in pieces over several deliveries; the piece
// left open is kept until its line ends or Flush takes it. A line longer
// than kMaxPlotLineBytes is dropped whole, up to its end, so that a device
// that never ends its lines cannot grow memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr size_t kMaxPlotLineBytes = 4096;

class PlotLineSplitter {
 public:
  using LineHandler = std::function<void(std::string_view Line)>;

  // Hands each line that ends in Bytes to OnLine, without its ending.
  void Take(std::string_view Bytes, const LineHandler& OnLine);
  // Hands on the line left open, if any, as if it had ended.
  void Flush(const LineHandler& OnLine);
  // Bytes are waiting for their line's end.
  bool Open() const { return !open_.empty() || overlong_; }
  void Clear();
  uint64_t DroppedLines() const { return droppedLines_; }

 private:
  void Append(std::string_view Piece);

  std::string open_;
  bool overlong_ = false;  // the open line passed the limit: dropped at its end
  uint64_t droppedLines_ = 0;
};
