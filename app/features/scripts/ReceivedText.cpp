#include "ReceivedText.h"

#include <algorithm>

#include "CharacterLength.h"
#include "ScriptRegex.h"

void ReceivedText::Add(const std::string& Bytes) {
  bytes_ += Bytes;
  if (bytes_.size() <= kKeptBytes) return;
  // Half goes at once, so that a script that never reads does not pay for
  // a cut at every arrival.
  const size_t excess = bytes_.size() - kKeptBytes / 2;
  dropped_ += excess;
  Forget(excess);
}

void ReceivedText::SetCodePage(UINT CodePage) {
  if (CodePage == codePage_) return;
  codePage_ = CodePage;
  text_.clear();
  startOf_.clear();
  readTo_ = 0;
  searchedTo_ = 0;
}

const std::string& ReceivedText::Read() {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(bytes_.data());
  const size_t count = bytes_.size();
  const bool utf16 = codePage_ == 1200;
  while (readTo_ < count) {
    // Plain ASCII is the same text in every encoding but UTF-16.
    if (!utf16 && bytes[readTo_] < 0x80) {
      text_.push_back(static_cast<char>(bytes[readTo_]));
      startOf_.push_back(static_cast<uint32_t>(readTo_));
      ++readTo_;
      continue;
    }
    const CharacterLength found = CharacterAt(codePage_, bytes + readTo_, static_cast<DWORD>(count - readTo_));
    if (found.What == CharacterLength::kCut) break;
    AppendCharacter(bytes + readTo_, found.Length, found.What == CharacterLength::kWhole);
    readTo_ += found.Length;
  }
  return text_;
}

void ReceivedText::AppendCharacter(const BYTE* pBytes, DWORD dwLength, bool Whole) {
  const uint32_t start = static_cast<uint32_t>(readTo_);
  const size_t before = text_.size();
  bool converted = false;
  if (Whole && codePage_ != CP_UTF8) {
    WCHAR wide[4];
    char utf8[16];
    const int units = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, reinterpret_cast<LPCSTR>(pBytes),
                                          static_cast<int>(dwLength), wide, 4);
    const int length =
        units > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr) : 0;
    if (length > 0) {
      text_.append(utf8, static_cast<size_t>(length));
      converted = true;
    }
  }
  // UTF-8 stays as it came; a byte that makes no character is kept as it
  // came, so that nothing received is lost to the script.
  if (!converted) text_.append(reinterpret_cast<const char*>(pBytes), dwLength);
  startOf_.insert(startOf_.end(), text_.size() - before, start);
}

void ReceivedText::Forget(size_t Count) {
  Count = std::min(Count, bytes_.size());
  bytes_.erase(0, Count);
  // The text of every character that began in the bytes forgotten goes.
  const size_t cut = static_cast<size_t>(
      std::lower_bound(startOf_.begin(), startOf_.end(), static_cast<uint32_t>(Count)) - startOf_.begin());
  text_.erase(0, cut);
  startOf_.erase(startOf_.begin(), startOf_.begin() + static_cast<std::ptrdiff_t>(cut));
  for (uint32_t& start : startOf_) start -= static_cast<uint32_t>(Count);
  readTo_ = readTo_ > Count ? readTo_ - Count : 0;
  searchedTo_ = searchedTo_ > cut ? searchedTo_ - cut : 0;
}

bool ReceivedText::Find(const std::string& Utf8, Match& Found) {
  Read();
  // Text already searched for the same words holds no match: only the
  // last few characters of it can begin one.
  size_t from = 0;
  if (Utf8 == lastSearched_ && !Utf8.empty()) from = searchedTo_ > Utf8.size() ? searchedTo_ - Utf8.size() + 1 : 0;
  const size_t at = text_.find(Utf8, from);
  if (at == std::string::npos) {
    lastSearched_ = Utf8;
    searchedTo_ = text_.size();
    return false;
  }
  Found = Match{at, at + Utf8.size(), {}};
  return true;
}

bool ReceivedText::Find(const ScriptRegex& Regex, Match& Found) {
  Read();
  ScriptRegex::Found found;
  if (!Regex.Search(text_, found)) return false;
  Found = Match{found.Begin, found.End, std::move(found.Groups)};
  return true;
}

void ReceivedText::TakeThrough(const Match& Found, std::string& Before, std::string& Matched) {
  Before = text_.substr(0, Found.Begin);
  Matched = text_.substr(Found.Begin, Found.End - Found.Begin);
  Forget(Found.End < startOf_.size() ? startOf_[Found.End] : readTo_);
  lastSearched_.clear();
}

std::string ReceivedText::TakeAll() {
  std::string text = Read();
  Forget(bytes_.size());
  lastSearched_.clear();
  return text;
}

std::string ReceivedText::TakeBytes(size_t Count) {
  Count = std::min(Count, bytes_.size());
  std::string taken = bytes_.substr(0, Count);
  bytes_.erase(0, Count);
  // The rest is read afresh: the cut may have split a character.
  text_.clear();
  startOf_.clear();
  readTo_ = 0;
  searchedTo_ = 0;
  lastSearched_.clear();
  return taken;
}
