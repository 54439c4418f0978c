#include "StyledReceive.h"

#include <algorithm>
#include <optional>

#include "BlockReads.h"
#include "HexText.h"

namespace {

TTextStyle RoleStyle(TTextStyle::TRole Role) {
  TTextStyle style;
  style.Role = Role;
  return style;
}

}  // namespace

ULONGLONG ReadTimeMs(const FILETIME& Time) {
  return ((static_cast<ULONGLONG>(Time.dwHighDateTime) << 32) | Time.dwLowDateTime) / 10000;
}

void StyledReceive::SetChoices(const DisplayChoices& Choices) {
  if (Choices.CodePage != choices_.CodePage) decoder_.SetCodePage(Choices.CodePage);
  if (!Choices.Colours) escapes_.Reset();
  // A dump line left open ends where the dump stops.
  if (choices_.HexDump && !Choices.HexDump) dump_.EndLine(*this);
  dump_.SetFrameGap(Choices.FrameGap);
  choices_ = Choices;
}

void StyledReceive::Take(const ReceivedBlock& Block, bool Hex, bool LetGo, ULONGLONG Now, const Stamping* Stamps) {
  stamps_ = Stamps;
  DecodedSink& sink = choices_.Colours ? static_cast<DecodedSink&>(escapes_) : plain_;
  if (Hex) {
    // Bytes held for a character are bytes like any other here.
    decoder_.Forget();
    // Each read at its own time: a frame gap between two reads of one
    // block ends a line as one between blocks does, and a line's stamp is
    // the arrival of its first byte.
    ForEachRead(Block, [&](const BYTE* pBytes, DWORD dwCount, const FILETIME* pArrivedAt) {
      const std::string stamp = Stamps ? TimeStampText(pArrivedAt) : std::string();
      dump_.Take(pBytes, dwCount, pArrivedAt ? ReadTimeMs(*pArrivedAt) : Now, stamp, *this);
    });
  } else {
    if (LetGo) decoder_.LetGo(sink);
    // A line starting in a read is stamped with that read's arrival.
    ForEachRead(Block, [&](const BYTE* pBytes, DWORD dwCount, const FILETIME* pArrivedAt) {
      std::u16string stamp;
      std::optional<Stamping> read;
      if (Stamps) {
        const std::string text = TimeStampText(pArrivedAt);
        stamp.assign(text.begin(), text.end());
        read.emplace(Stamping{Stamps->Stamper, stamp});
        stamps_ = &*read;
      }
      decoder_.Take(pBytes, dwCount, sink);
      stamps_ = Stamps;
    });
    if (Block.bLast) decoder_.LetGo(sink);
  }
  stamps_ = nullptr;
}

void StyledReceive::Echo(const BYTE* pBytes, DWORD dwCount, bool Hex, bool More, const Stamping* Stamps) {
  if (dwCount == 0 && !sendOpen_) return;
  stamps_ = Stamps;
  echoing_ = true;
  sent_ = RoleStyle(TTextStyle::trSent);
  // A new send's characters start afresh.
  if (!sendOpen_) echoDecoder_.Forget();
  if (echoDecoder_.CodePage() != choices_.CodePage) echoDecoder_.SetCodePage(choices_.CodePage);
  if (dwCount > 0 && Hex) {
    std::string pairs(3 * static_cast<size_t>(dwCount) + 1, '\0');
    BytesToHex(pBytes, dwCount, pairs.data());
    pairs.pop_back();
    Add(std::u16string(pairs.begin(), pairs.end()), sent_, Stamps);
  } else if (dwCount > 0) {
    echoDecoder_.Take(pBytes, dwCount, plain_);
  }
  sendOpen_ = More;
  if (!More) EndEcho(Stamps);
  echoing_ = false;
  stamps_ = nullptr;
}

void StyledReceive::EndEcho(const Stamping* Stamps) {
  const bool echoing = echoing_;
  const Stamping* const stamps = stamps_;
  echoing_ = true;
  stamps_ = Stamps;
  echoDecoder_.LetGo(plain_);
  sendOpen_ = false;
  EndEchoLine(Stamps);
  echoing_ = echoing;
  stamps_ = stamps;
}

void StyledReceive::EndEchoLine(const Stamping* Stamps) {
  if (!echoLineOpen_) return;
  echoLineOpen_ = false;
  if (!lineOpen_) return;
  carry_.TakeStyled(u"\r\n", sent_, Stamps);
  lineOpen_ = false;
}

void StyledReceive::StartEchoLine(const Stamping* Stamps) {
  echoLineOpen_ = true;
  dump_.EndLine(*this);
  if (lineOpen_) Add(u"\r\n", TTextStyle(), Stamps);
  Add(u"→ ", sent_, Stamps);
}

void StyledReceive::Clear() {
  decoder_.Forget();
  escapes_.Reset();
  dump_.Clear();
  lineOpen_ = echoLineOpen_ = false;
}

void StyledReceive::Styled(std::u16string_view Text, const TTextStyle& Style) {
  Add(Text, echoing_ ? sent_ : Style, stamps_);
}

void StyledReceive::InvalidByte(BYTE Byte) {
  char pair[4];
  BytesToHex(&Byte, 1, pair);
  const char16_t text[] = {u'⟨', static_cast<char16_t>(pair[0]), static_cast<char16_t>(pair[1]), u'⟩'};
  Add(std::u16string_view(text, 4), RoleStyle(TTextStyle::trInvalidByte), stamps_);
}

void StyledReceive::DumpText(std::string_view Text, bool Stamp) {
  const std::u16string wide(Text.begin(), Text.end());
  Add(wide, RoleStyle(Stamp ? TTextStyle::trStamp : TTextStyle::trText), nullptr);
}

void StyledReceive::Add(std::u16string_view Text, const TTextStyle& Style, const Stamping* Stamps) {
  if (Text.empty()) return;
  // A send's echo starts its line with what it first shows, and keeps the
  // line for its rest until other text comes.
  if (echoing_ && !echoLineOpen_) StartEchoLine(Stamps);
  if (!echoing_) EndEchoLine(Stamps);
  carry_.TakeStyled(Text, Style, Stamps);
  const char16_t last = Text.back();
  if (last != 0) lineOpen_ = last != u'\r' && last != u'\n';
}

void AppendStyled(TLogView* View, const AnsiTextCarry& Carry) {
  const std::u16string& text = Carry.Text();
  const auto& spans = Carry.Spans();
  if (spans.empty()) {
    View->Append(text);
    return;
  }
  for (size_t i = 0; i < spans.size(); ++i) {
    const size_t end = i + 1 < spans.size() ? spans[i + 1].At : text.size();
    View->Append(std::u16string_view(text).substr(spans[i].At, end - spans[i].At), spans[i].Style);
  }
}
