// What a panel's port has received and a script has not yet taken, as the
// bytes that came and as the text they read as in the panel's encoding
// (UTF-8, the script's own). Expects search the text; a match is taken
// with everything before it, and the bytes behind them go too. Byte reads
// take the bytes themselves. Script thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class ScriptRegex;

class ReceivedText {
 public:
  // The most bytes kept untaken; older ones go first, never a match's.
  static constexpr size_t kKeptBytes = 4 * 1024 * 1024;

  explicit ReceivedText(UINT CodePage = 936) : codePage_(CodePage) {}

  // Bytes as they came, after those before.
  void Add(const std::string& Bytes);
  // The bytes not yet taken read as text of this encoding from now on.
  void SetCodePage(UINT CodePage);
  UINT CodePage() const { return codePage_; }

  struct Match {
    size_t Begin = 0;  // in Text()
    size_t End = 0;
    std::vector<std::string> Groups;  // a regular expression's captures
  };
  // The first match in the text read so far; false when none.
  bool Find(const std::string& Utf8, Match& Found);
  bool Find(const ScriptRegex& Regex, Match& Found);
  // Takes the text up to the match's end: what came before it and the
  // match itself.
  void TakeThrough(const Match& Found, std::string& Before, std::string& Matched);
  // Takes everything: its text.
  std::string TakeAll();

  // The text read so far (a character whose bytes have not all come yet
  // waits for them).
  const std::string& Text() { return Read(); }
  size_t ByteCount() const { return bytes_.size(); }
  // Takes the first Count bytes as they came (at most what there is).
  std::string TakeBytes(size_t Count);
  // Bytes dropped because nothing took them in time (kKeptBytes).
  ULONGLONG Dropped() const { return dropped_; }

 private:
  // Reads the bytes not yet read into the text; the text so far.
  const std::string& Read();
  void AppendCharacter(const BYTE* pBytes, DWORD dwLength, bool Whole);
  // Forgets the first Count bytes and the text they made.
  void Forget(size_t Count);

  UINT codePage_;
  std::string bytes_;
  size_t readTo_ = 0;              // bytes_ read into text_
  std::string text_;               // UTF-8; bytes that make no character kept as they came
  std::vector<uint32_t> startOf_;  // for each byte of text_, the first byte of its character in bytes_
  size_t searchedTo_ = 0;          // text_ searched for the last text without a match
  std::string lastSearched_;
  ULONGLONG dropped_ = 0;
};
