#include "LrzszReport.h"

#include <cstdio>
#include <cstring>

namespace {

// A printed name is shown in the window: control characters a hostile
// sender put in it become '?', and it is cut at a length a line can show.
constexpr size_t kLongestShownName = 200;

std::string Shown(const std::string& Name) {
  std::string shown;
  for (const char c : Name.substr(0, kLongestShownName)) shown += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  if (Name.size() > kLongestShownName) shown += "…";
  return shown;
}

bool Has(const std::string& Line, const char* Words) { return Line.find(Words) != std::string::npos; }

std::string After(const std::string& Line, const char* Prefix) {
  const size_t at = Line.find(Prefix);
  std::string rest = Line.substr(at + std::strlen(Prefix));
  while (!rest.empty() && rest.back() == ' ') rest.pop_back();
  return rest;
}

}  // namespace

void LrzszReport::Take(const std::string& Text) {
  for (const char c : Text) {
    if (c == '\r' || c == '\n') {
      Line(pending_);
      pending_.clear();
    } else if (pending_.size() < 64 * 1024) {  // a line without end is not kept whole
      pending_ += c;
    }
  }
}

void LrzszReport::NameFile(const std::string& Name) {
  const std::string shown = Shown(Name);
  if (shown.empty() || shown == file_) return;
  file_ = shown;
  done_ = size_ = 0;
  files_.push_back(shown);
}

void LrzszReport::Line(const std::string& Line) {
  unsigned long long a = 0, b = 0;
  if (Has(Line, "Receiving: ")) {
    NameFile(After(Line, "Receiving: "));
  } else if (Has(Line, "Sending: ")) {
    NameFile(After(Line, "Sending: "));
  } else if (Line.rfind("Sending ", 0) == 0 && Has(Line, " blocks: ")) {
    // sx: "Sending NAME, N blocks: Give your local XMODEM receive command now."
    NameFile(Line.substr(8, Line.rfind(", ", Line.find(" blocks: ")) - 8));
  } else if (const char* at = std::strstr(Line.c_str(), "sectors/kbytes sent:");
             at != nullptr && std::sscanf(at, "sectors/kbytes sent: %llu", &a) == 1) {
    blocks_ = a;
    done_ = a * 128;
  } else if (std::sscanf(Line.c_str(), "Bytes Sent: %llu/ %llu", &a, &b) >= 1 ||
             std::sscanf(Line.c_str(), "Bytes received: %llu/ %llu", &a, &b) >= 1) {
    done_ = a;
    if (b > 0) size_ = b;
  } else if (long long count = 0; std::sscanf(Line.c_str(), "Blocks received: %lld", &count) == 1) {
    // rb ends with a negative count of its own; that is no count.
    if (count >= 0) blocks_ = static_cast<unsigned long long>(count);
  }
  if (Line.rfind("Retry ", 0) == 0 || Has(Line, "Retry ")) ++retries_;
  if (Has(Line, "Retry Count Exceeded") || Has(Line, "Too many errors")) failure_ = TransferFailure::TooManyRetries;
  if (Has(Line, "Cancelled") || Has(Line, "Got ZCAN") || Has(Line, "got ZCAN") || Has(Line, "Canceled"))
    failure_ = TransferFailure::FarEndCancelled;
  // rz takes a name it cannot make into a file (too long for the file
  // system, a folder that is not there) as a file to skip: refused too.
  if (Has(Line, "cannot open") && !file_.empty() && (refused_.empty() || refused_.back() != file_))
    refused_.push_back(file_);
  if (Has(Line, "Security Violation")) {
    failure_ = TransferFailure::NameRefused;
    if (!file_.empty()) refused_.push_back(file_);
  }
  if ((Has(Line, "Timeout") || Has(Line, "TIMEOUT")) && failure_ == TransferFailure::None)
    failure_ = TransferFailure::NoAnswer;
  const bool progress = Has(Line, "sent:") || Has(Line, "Bytes ") || Has(Line, "Blocks ");
  if (!progress && Line.find_first_not_of(' ') != std::string::npos) lastWords_ = Shown(Line);
}
