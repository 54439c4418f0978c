#include "ReceiveArea.h"

#include <string>

namespace {

// A memo longer than this (in bytes of the ANSI text, each line break two)
// is emptied before the next block is shown.
constexpr int kMemoLimit = 4096;

std::u16string StampOf(const SYSTEMTIME& At) {
  const std::string stamp = TimeStampText(At);
  return std::u16string(stamp.begin(), stamp.end());
}

}  // namespace

ReceiveArea::ReceiveArea(ReceiveFrame& Frame, TMemo* Memo, TCheckBox* Hex) : frame_(Frame), memo_(Memo), hex_(Hex) {
  // Whatever changes the memo but this area (the user, the program) leaves
  // its length to be measured again.
  memo_->OnChange = [this](TObject*) {
    if (!updating_) lengthKnown_ = false;
  };
}

// The memo belongs to the form and outlives this area by a moment.
ReceiveArea::~ReceiveArea() { memo_->OnChange = nullptr; }

void ReceiveArea::Take(const ReceivedBlock& Block, bool TimeStamps) {
  const bool hex = hex_->Checked;
  // A lead byte from an earlier opening never pairs with this one's bytes.
  const bool letGo = Block.dwOpening != carryOpening_;
  carryOpening_ = Block.dwOpening;
  Stamping storage{stamper_, {}};
  std::u16string stamp;
  if (styled_.Takes(hex)) {
    const bool adds = Block.dwCount > 0 || ((letGo || Block.bLast) && styled_.Holding());
    if (adds) MakeRoom();
    const Stamping* stamps = StampsFor(adds, TimeStamps, storage, stamp);
    styled_.Take(Block.Bytes, Block.dwCount, hex, letGo, Block.bLast, GetTickCount(), stamps);
    return;
  }
  const bool adds = carry_.Adds(Block.Bytes, Block.dwCount, hex, letGo, Block.bLast);
  if (adds) MakeRoom();
  const Stamping* stamps = StampsFor(adds, TimeStamps, storage, stamp);
  carry_.StyleFrom(TTextStyle());
  if (hex) {
    carry_.TakeHex(Block.Bytes, Block.dwCount, stamps);
  } else {
    if (letGo) carry_.LetGoHeldByte(stamps);
    carry_.Take(Block.Bytes, Block.dwCount, stamps);
    if (Block.bLast) carry_.LetGoHeldByte(stamps);
  }
  if (adds) styled_.LineOpened();
}

const Stamping* ReceiveArea::StampsFor(bool Adds, bool TimeStamps, Stamping& Storage, std::u16string& Stamp) {
  if (!Adds || !TimeStamps) return nullptr;
  SYSTEMTIME now;
  GetLocalTime(&now);
  Stamp = StampOf(now);
  Storage.Stamp = Stamp;
  return &Storage;
}

void ReceiveArea::SetChoices(const DisplayChoices& Choices) {
  if (Choices == styled_.Choices()) return;
  MakeRoom();
  styled_.SetChoices(Choices);
}

void ReceiveArea::Echo(const BYTE* pBytes, DWORD dwCount, bool TimeStamps) {
  if (!styled_.Choices().Echo || dwCount == 0) return;
  MakeRoom();
  Stamping storage{stamper_, {}};
  std::u16string stamp;
  styled_.Echo(pBytes, dwCount, hex_->Checked, StampsFor(true, TimeStamps, storage, stamp));
}

void ReceiveArea::Tick() {
  const ULONGLONG now = GetTickCount();
  if (!styled_.QuietLine(now)) return;
  MakeRoom();
  styled_.EndQuietLine(now);
}

void ReceiveArea::MakeRoom() {
  if (!waiting_) {
    waiting_ = true;
    replace_ = false;
    MeasureMemo();
    frame_.Request();
  }
  // The rule, as if the memo had been brought up to date for every block.
  if ((replace_ ? 0 : shownLength_) + carry_.AnsiLength() > kMemoLimit) {
    replace_ = true;
    carry_.Forget();
    stamper_.Reset();
  }
}

void ReceiveArea::MeasureMemo() {
  if (lengthKnown_) return;
  const String text = memo_->Text;
  shownCharacters_ = text.Length();
  shownLength_ = AnsiString(text).Length();
  lengthKnown_ = true;
}

void ReceiveArea::ShowNow() {
  if (!waiting_) return;
  waiting_ = false;

  updating_ = true;
  memo_->Lines->BeginUpdate();
  if (replace_) memo_->Clear();
  memo_->Append(carry_.Text());
  memo_->Lines->EndUpdate();
  updating_ = false;
  // One UTF-16 unit a character: the carry's text has no surrogates.
  shownCharacters_ = (replace_ ? 0 : shownCharacters_) + static_cast<int>(carry_.Text().size());
  shownLength_ = (replace_ ? 0 : shownLength_) + carry_.AnsiLength();
  carry_.Forget();
  frame_.Shown();

  // Bring the newest text into view, however long the memo is.
  memo_->SelStart = lengthKnown_ ? shownCharacters_ : memo_->Text.Get().Length();
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
  carry_.Forget();
  carry_.ForgetHeldByte();
  styled_.Clear();
  updating_ = true;
  memo_->Clear();
  updating_ = false;
  lengthKnown_ = true;
  shownLength_ = 0;
  shownCharacters_ = 0;
}
