#include "ReceiveArea.h"

#include <string>

#include "BlockReads.h"

namespace {

// A memo longer than this (in bytes of the ANSI text, each line break two)
// is emptied before the next block is shown.
constexpr int kMemoLimit = 4096;

// How long after its read a block may reach the window: the port gathers
// arrivals for up to 80 ms and the channel hands them over at a 100 ms tick.
constexpr ULONGLONG kDeliveryAllowanceMs = 250;

// Now on the read marks' clock (system time), in milliseconds.
ULONGLONG NowMs() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return ReadTimeMs(now);
}

// The stamp of bytes that arrived at a system time; null for now.
std::u16string StampOf(const FILETIME* ArrivedAt) {
  const std::string stamp = TimeStampText(ArrivedAt);
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
    const Stamping* stamps = StampsFor(adds, TimeStamps, FirstArrival(Block), storage, stamp);
    styled_.Take(Block, hex, letGo, NowMs(), stamps);
    TellText();
    return;
  }
  const bool adds = carry_.Adds(Block.Bytes, Block.dwCount, hex, letGo, Block.bLast);
  if (adds) MakeRoom();
  const Stamping* stamps = StampsFor(adds, TimeStamps, FirstArrival(Block), storage, stamp);
  if (adds) styled_.EndEchoLine(stamps);
  carry_.StyleFrom(TTextStyle());
  if (hex) {
    carry_.TakeHex(Block.Bytes, Block.dwCount, stamps);
  } else {
    if (letGo) carry_.LetGoHeldByte(stamps);
    // A line starting in a read is stamped with that read's arrival.
    ForEachRead(Block, [&](const BYTE* pBytes, DWORD dwCount, const FILETIME* pArrivedAt) {
      if (stamps) {
        stamp = StampOf(pArrivedAt);
        storage.Stamp = stamp;
      }
      carry_.Take(pBytes, dwCount, stamps);
    });
    if (Block.bLast) carry_.LetGoHeldByte(stamps);
  }
  if (adds) styled_.LineOpened();
  TellText();
}

void ReceiveArea::TellText() {
  const std::u16string& text = carry_.Text();
  if (OnText && text.size() > told_) OnText(std::u16string_view(text).substr(told_));
  told_ = text.size();
}

void ReceiveArea::ForgetCarried() {
  TellText();
  carry_.Forget();
  told_ = 0;
}

const Stamping* ReceiveArea::StampsFor(bool Adds, bool TimeStamps, const FILETIME* ArrivedAt, Stamping& Storage,
                                       std::u16string& Stamp) {
  if (!Adds || !TimeStamps) return nullptr;
  Stamp = StampOf(ArrivedAt);
  Storage.Stamp = Stamp;
  return &Storage;
}

void ReceiveArea::SetChoices(const DisplayChoices& Choices) {
  if (Choices == styled_.Choices()) return;
  MakeRoom();
  if (styled_.EchoOpen() && !Choices.Echo) {
    // The rest of a paced send will not be echoed: its line ends now. The
    // stamper learns of the line break, whether stamps are on or not.
    const Stamping quiet{stamper_, {}};
    styled_.EndEcho(&quiet);
  }
  const bool dumpChanged = Choices.HexDump != styled_.Choices().HexDump;
  styled_.SetChoices(Choices);
  TellText();
  // Colours, sent text and bytes no character shows need the log view's styles.
  NeedLog(kLogStyles, Choices.NeedStyles());
  if (dumpChanged) ApplyFont();
}

void ReceiveArea::SetFont(const String& Name, int Height) {
  if (fontName_.IsEmpty() && Name.IsEmpty()) return;
  fontName_ = Name;
  fontHeight_ = Height;
  ApplyFont();
}

void ReceiveArea::ApplyFont() {
  if (fontName_.IsEmpty()) {
    // The memo's font as designed, kept before anything changes it.
    fontName_ = memo_->Font->Name;
    fontHeight_ = memo_->Font->Height;
  }
  const String name = styled_.Choices().HexDump ? String(kFixedWidthFont) : fontName_;
  for (TControl* view : {static_cast<TControl*>(memo_), static_cast<TControl*>(log_)}) {
    if (!view) continue;
    view->Font->Name = name;
    view->Font->Height = fontHeight_;
  }
}

void ReceiveArea::Echo(const BYTE* pBytes, DWORD dwCount, bool More, bool TimeStamps) {
  if (!styled_.Choices().Echo || (dwCount == 0 && !styled_.EchoOpen())) return;
  MakeRoom();
  Stamping storage{stamper_, {}};
  std::u16string stamp;
  styled_.Echo(pBytes, dwCount, hex_->Checked, More, StampsFor(true, TimeStamps, nullptr, storage, stamp));
  TellText();
}

void ReceiveArea::Note(const String& Line) {
  const AnsiString text("\r\n" + Line + "\r\n");
  MakeRoom();
  styled_.EndEchoLine(nullptr);
  carry_.StyleFrom(TTextStyle());
  carry_.Take(reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.Length()), nullptr);
}

void ReceiveArea::Tick() {
  // Bytes reach the window up to a tick and a gathering after their read:
  // the clock alone ends a line only once no read within its gap can still
  // be on its way.
  const ULONGLONG quietBy = NowMs() - kDeliveryAllowanceMs;
  if (!styled_.QuietLine(quietBy)) return;
  MakeRoom();
  styled_.EndQuietLine(quietBy);
  TellText();
}

void ReceiveArea::MakeRoom() {
  if (!waiting_) {
    waiting_ = true;
    replace_ = false;
    frame_.Request();
  }
  if (needs_ & kLogKeepsAll) return;
  MeasureMemo();
  // The rule, as if the memo had been brought up to date for every block.
  if ((replace_ ? 0 : shownLength_) + carry_.AnsiLength() > kMemoLimit) {
    replace_ = true;
    ForgetCarried();
    stamper_.Reset();
    styled_.ViewEmptied();
  }
}

void ReceiveArea::MeasureMemo() {
  if (lengthKnown_) return;
  const String text = ShownText();
  shownCharacters_ = text.Length();
  shownLength_ = AnsiString(text).Length();
  lengthKnown_ = true;
}

void ReceiveArea::ShowNow() {
  if (!waiting_) return;
  waiting_ = false;
  if (InLog()) {
    // The view follows the newest text by itself while at its bottom, and
    // stays where the user scrolled it otherwise.
    updating_ = true;
    if (replace_) log_->Clear();
    AppendStyled(log_, carry_);
    updating_ = false;
    shownLength_ = (replace_ ? 0 : shownLength_) + carry_.AnsiLength();
    ForgetCarried();
    frame_.Shown();
    if (OnShown) OnShown();
    return;
  }

  updating_ = true;
  memo_->Lines->BeginUpdate();
  // Emptied and filled in one edit: at a fast line's rate the memo is
  // emptied every frame or two.
  if (replace_)
    memo_->Replace(carry_.Text());
  else
    memo_->Append(carry_.Text());
  memo_->Lines->EndUpdate();
  updating_ = false;
  // One UTF-16 unit a character: the carry's text has no surrogates.
  shownCharacters_ = (replace_ ? 0 : shownCharacters_) + static_cast<int>(carry_.Text().size());
  shownLength_ = (replace_ ? 0 : shownLength_) + carry_.AnsiLength();
  ForgetCarried();
  frame_.Shown();

  // Bring the newest text into view, however long the memo is.
  memo_->SelStart = lengthKnown_ ? shownCharacters_ : memo_->Text.Get().Length();
  SendMessageA(memo_->Handle, EM_SCROLLCARET, 0, 0);
  SendMessageA(memo_->Handle, WM_KEYDOWN, VK_NEXT, 1);
  if (OnShown) OnShown();
}

void ReceiveArea::StartTimeStamps() {
  ShowNow();
  if (InLog()) {
    const long long count = log_->CharacterCount();
    stamper_.StartAfter(count == 0 ? std::string() : log_->TextRange(count - 1, 1).Utf8());
    return;
  }
  stamper_.StartAfter(memo_->Text.Get().Utf8());
}

void ReceiveArea::Clear() {
  waiting_ = false;
  stamper_.Reset();
  ForgetCarried();
  carry_.ForgetHeldByte();
  styled_.Clear();
  updating_ = true;
  memo_->Clear();
  if (log_) log_->Clear();
  updating_ = false;
  lengthKnown_ = true;
  shownLength_ = 0;
  shownCharacters_ = 0;
}

TLogView* ReceiveArea::Log() {
  if (log_) return log_;
  log_ = new TLogView(memo_->Owner);
  log_->Visible = false;
  log_->Parent = memo_->Parent;
  log_->SetBounds(memo_->Left, memo_->Top, memo_->Width, memo_->Height);
  log_->Anchors = memo_->Anchors;
  log_->Font->Name = memo_->Font->Name;
  log_->Font->Height = memo_->Font->Height;
  log_->Font->Color = memo_->Font->Color;
  log_->Limit = logLimit_;
  log_->OnChange = [this](TObject*) {
    if (!updating_) lengthKnown_ = false;
  };
  return log_;
}

void ReceiveArea::SetLogLimit(unsigned long long Bytes) {
  logLimit_ = Bytes;
  if (log_) log_->Limit = Bytes;
}

void ReceiveArea::MatchMemoLooks() {
  if (InLog() && log_->Color != memo_->Color.Get()) log_->Color = memo_->Color;
}

void ReceiveArea::NeedLog(unsigned Reason, bool On) {
  const unsigned needs = On ? needs_ | Reason : needs_ & ~Reason;
  if (needs == needs_) return;
  // What waits is shown where it was meant to go.
  ShowNow();
  const bool wasInLog = InLog();
  needs_ = needs;
  if (InLog() != wasInLog) SwapTargets(InLog());
  lengthKnown_ = false;
}

String ReceiveArea::ShownText() { return InLog() ? LogText() : memo_->Text.Get(); }

// CR LF for each line break, as the memo gives its text.
String ReceiveArea::LogText() const {
  const String all = log_->Text();
  const std::string& text = all.Utf8();
  std::string paired;
  paired.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') paired += '\r';
    paired += c;
  }
  return String(std::move(paired));
}

void ReceiveArea::SwapTargets(bool ToLog) {
  TLogView* log = Log();
  updating_ = true;
  if (ToLog) {
    log->Clear();
    log->Append(memo_->Text.Get());
    log->Color = memo_->Color;
    log->TabOrder = memo_->TabOrder;
    log->AccessibleName = memo_->AccessibleName;
    log->PopupMenu = memo_->PopupMenu;
    memo_->Visible = false;
    log->Visible = true;
  } else {
    // The memo takes back what the 4 KB rule lets it show.
    // A character's UTF-8 bytes are at most four times its ANSI bytes: more
    // kept than four times the rule's bytes never fits, and is not copied to
    // learn so.
    const String text = log->KeptBytes() <= 4ull * kMemoLimit ? LogText() : String();
    memo_->Text = AnsiString(text).Length() <= kMemoLimit ? text : String();
    log->Visible = false;
    log->Clear();
    memo_->Visible = true;
    memo_->SelStart = memo_->Text.Get().Length();
    SendMessageA(memo_->Handle, EM_SCROLLCARET, 0, 0);
  }
  updating_ = false;
}
