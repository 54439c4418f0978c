// What lrzsz's programs (sx, sb, sz, rx, rb, rz, run with -vv) say on their
// standard error, read line by line as they run: the file in hand, how far
// it is, the retries, and why a transfer failed. Lines end at a carriage
// return as well as a line feed, since the programs redraw their progress
// line in place.
#pragma once

#include <string>
#include <vector>

// Why a transfer failed, as far as the program said.
enum class TransferFailure {
  None,
  FarEndCancelled,  // the far end sent the cancel sequence
  TooManyRetries,   // the program gave up after its retries
  NoAnswer,         // the program waited in vain (its own time-out)
  NameRefused,      // the sender's file name was refused (outside the folder)
  Other,            // it ended otherwise than well, saying nothing known
};

class LrzszReport {
 public:
  // Takes more of the program's error output, in any pieces.
  void Take(const std::string& Text);

  // The file in hand (its name as the program printed it); empty before.
  const std::string& File() const { return file_; }
  // Every file the program named, in order, each once.
  const std::vector<std::string>& Files() const { return files_; }
  // Bytes of the file in hand the program reports done (blocks of 128
  // bytes for XMODEM and YMODEM senders); and its size when it says it.
  unsigned long long Done() const { return done_; }
  unsigned long long Size() const { return size_; }
  // Blocks the program reports sent or received, in 128-byte units for
  // X/YMODEM senders; 0 when it does not report blocks.
  unsigned long long Blocks() const { return blocks_; }
  int Retries() const { return retries_; }
  // The names the program refused, as it printed them.
  const std::vector<std::string>& RefusedNames() const { return refused_; }
  TransferFailure Failure() const { return failure_; }
  // The last line that was neither progress nor empty: what to show when
  // the failure has no known cause.
  const std::string& LastWords() const { return lastWords_; }

 private:
  void Line(const std::string& Line);
  void NameFile(const std::string& Name);

  std::string pending_;
  std::string file_;
  std::vector<std::string> files_;
  unsigned long long done_ = 0;
  unsigned long long size_ = 0;
  unsigned long long blocks_ = 0;
  int retries_ = 0;
  std::vector<std::string> refused_;
  TransferFailure failure_ = TransferFailure::None;
  std::string lastWords_;
};
