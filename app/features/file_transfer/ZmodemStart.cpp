#include "ZmodemStart.h"

namespace {

const std::string kStart(
    "**\x18"
    "B00",
    6);

}  // namespace

bool ZmodemStart::Seen(const BYTE* pBytes, DWORD dwCount) {
  std::string text = tail_;
  text.append(reinterpret_cast<const char*>(pBytes), dwCount);
  const bool seen = text.find(kStart) != std::string::npos;
  tail_ = seen ? std::string() : text.substr(text.size() > kStart.size() ? text.size() - (kStart.size() - 1) : 0);
  return seen;
}
