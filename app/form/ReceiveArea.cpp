#include "ReceiveArea.h"

#include "HexText.h"

namespace {

// A memo longer than this (in bytes of the ANSI text, each line break two)
// is emptied before the next block is shown.
constexpr int kMemoLimit = 4096;

std::string HexPairs(const std::string& bytes) {
  std::string hex(3 * bytes.size() + 1, '\0');
  BytesToHex(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), hex.data());
  hex.pop_back();
  return hex;
}

// As the memo's text setter does: every lone carriage return or line feed
// becomes a pair. (UTF-8 never has these bytes inside a character.)
std::string WithPairedLineBreaks(const std::string& text) {
  std::string paired;
  paired.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      paired += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      paired += text[i];
    }
  }
  return paired;
}

}  // namespace

ReceiveArea::ReceiveArea(ReceiveFrame& Frame, TMemo* Memo, TCheckBox* Hex) : frame_(Frame), memo_(Memo), hex_(Hex) {}

void ReceiveArea::Take(const ReceivedBlock& Block, bool TimeStamps) {
  const bool hex = hex_->Checked;
  const String text = TextOf(Block, hex);
  if (!text.IsEmpty()) Queue(text, hex, TimeStamps);
}

String ReceiveArea::TextOf(const ReceivedBlock& Block, bool Hex) {
  String text;
  // A lead byte from an earlier opening never pairs with this one's bytes.
  if (Block.dwOpening != carryOpening_) {
    text += LetGoHeldByte(Hex);
    carryOpening_ = Block.dwOpening;
  }
  if (Hex) {
    // A lead byte held back in text mode is a byte like any other here.
    const std::string bytes = carry_.Flush() + std::string(reinterpret_cast<const char*>(Block.Bytes), Block.dwCount);
    text += AnsiString(HexPairs(bytes).c_str());
  } else {
    const std::string bytes = carry_.Take(Block.Bytes, Block.dwCount);
    text += AnsiString(bytes.data(), static_cast<int>(bytes.size()));
  }
  if (Block.bLast) text += LetGoHeldByte(Hex);
  return text;
}

String ReceiveArea::LetGoHeldByte(bool Hex) {
  const std::string held = carry_.Flush();
  // As text, on its own: the code page's mark for a broken character.
  return Hex ? AnsiString(HexPairs(held).c_str()) : AnsiString(held.data(), static_cast<int>(held.size()));
}

void ReceiveArea::Queue(const String& Text, bool Hex, bool TimeStamps) {
  if (!waiting_) {
    waiting_ = true;
    replace_ = false;
    shownLength_ = AnsiString(memo_->Text).Length();
    pending_ = String();
    pendingLength_ = 0;
    frame_.Request();
  }
  // The rule, as if the memo had been brought up to date for every block.
  if ((replace_ ? 0 : shownLength_) + pendingLength_ > kMemoLimit) {
    replace_ = true;
    pending_ = String();
    pendingLength_ = 0;
    stamper_.Reset();
  }
  std::string shown = Text.Utf8();
  if (TimeStamps) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Line breaks are single bytes in UTF-8 too, so the stamper reads the
    // text as it stands.
    shown = Hex ? stamper_.StampHex(shown, now) : stamper_.StampText(shown, now);
  }
  const String paired(WithPairedLineBreaks(shown));
  pending_ += paired;
  pendingLength_ += AnsiString(paired).Length();
}

void ReceiveArea::ShowNow() {
  if (!waiting_) return;
  waiting_ = false;

  memo_->Lines->BeginUpdate();
  if (replace_)
    memo_->Text = pending_;
  else
    memo_->Append(pending_);
  memo_->Lines->EndUpdate();
  pending_ = String();
  frame_.Shown();

  // Bring the newest text into view, however long the memo is.
  memo_->SelStart = memo_->Text.Get().Length();
  SendMessageA(memo_->Handle, EM_SCROLLCARET, 0, 0);
  SendMessageA(memo_->Handle, WM_KEYDOWN, VK_NEXT, 1);
  if (OnShown) OnShown();
}

void ReceiveArea::StartTimeStamps() {
  ShowNow();
  stamper_.StartAfter(memo_->Text.Get().Utf8());
}

void ReceiveArea::Clear() {
  waiting_ = false;
  stamper_.Reset();
  pending_ = String();
  carry_.Flush();
  memo_->Clear();
}
