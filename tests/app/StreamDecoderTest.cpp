// Received bytes decoded in each code page, block after block.
#include <gtest/gtest.h>

#include <string>

#include "StreamDecoder.h"

namespace {

// What the view would show: the text, an invalid byte as ⟨XX⟩.
class Shown : public DecodedSink {
 public:
  void Text(std::u16string_view Text) override { text += Text; }
  void InvalidByte(BYTE Byte) override {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    text += u'⟨';
    text += kDigits[Byte >> 4];
    text += kDigits[Byte & 0xF];
    text += u'⟩';
  }
  std::u16string text;
};

std::u16string Decode(UINT CodePage, const std::string& Bytes) {
  StreamDecoder decoder(CodePage);
  Shown shown;
  decoder.Take(reinterpret_cast<const BYTE*>(Bytes.data()), static_cast<DWORD>(Bytes.size()), shown);
  decoder.LetGo(shown);
  return shown.text;
}

// The same bytes in deliveries of the given sizes, the rest in the last.
std::u16string DecodeInPieces(UINT CodePage, const std::string& Bytes, size_t Piece) {
  StreamDecoder decoder(CodePage);
  Shown shown;
  for (size_t at = 0; at < Bytes.size(); at += Piece) {
    const std::string piece = Bytes.substr(at, Piece);
    decoder.Take(reinterpret_cast<const BYTE*>(piece.data()), static_cast<DWORD>(piece.size()), shown);
  }
  decoder.LetGo(shown);
  return shown.text;
}

struct Sample {
  UINT codePage;
  std::string bytes;
  std::u16string text;
};

const Sample kSamples[] = {
    {936, "A\xD6\xD0\xCE\xC4\r\n", u"A中文\r\n"},
    {65001, "t=\xE6\xB8\xA9\xE5\xBA\xA6 23\xE2\x84\x83 \xF0\x9F\x98\x80.", u"t=温度 23℃ 😀."},
    {54936, "\xD6\xD0\x81\x30\x81\x30\x95\x32\x82\x36!", u"中\u0080\U00020000!"},
    {950, "\xA4\xA4\xA4\xE5|", u"中文|"},
    {932, "\x82\xA0\xB1\x93\xFA\x96\x7B", u"あｱ日本"},
    {949, "\xB0\xA1\xB3\xAA", u"가나"},
    {28591, "caf\xE9", u"café"},
    {1252, "\x80 caf\xE9", u"€ café"},
    {1200, std::string("A\0\x2D\x4E\x3D\xD8\x00\xDE\n\0", 10), u"A中\U0001F600\n"},
};

TEST(StreamDecoder, CharactersSplitAcrossDeliveriesAreJoinedInEveryCodePage) {
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.codePage);
    EXPECT_EQ(Decode(sample.codePage, sample.bytes), sample.text);
    // Every split of a character, down to a byte a delivery.
    for (size_t piece = 1; piece <= 5; ++piece)
      EXPECT_EQ(DecodeInPieces(sample.codePage, sample.bytes, piece), sample.text);
    for (size_t cut = 1; cut < sample.bytes.size(); ++cut) {
      StreamDecoder decoder(sample.codePage);
      Shown shown;
      const auto* bytes = reinterpret_cast<const BYTE*>(sample.bytes.data());
      decoder.Take(bytes, static_cast<DWORD>(cut), shown);
      decoder.Take(bytes + cut, static_cast<DWORD>(sample.bytes.size() - cut), shown);
      EXPECT_FALSE(decoder.Holding());
      EXPECT_EQ(shown.text, sample.text) << "cut at " << cut;
    }
  }
}

TEST(StreamDecoder, InvalidBytesKeepTheirValueAndTheirPlace) {
  // A byte no UTF-8 character begins with; a sequence broken off by an
  // ASCII byte, which still shows; an over-long form; a lone continuation.
  EXPECT_EQ(Decode(65001,
                   "A\xFF"
                   "B\xE4\x41\xC0\xAF\x80"),
            u"A⟨FF⟩B⟨E4⟩A⟨C0⟩⟨AF⟩⟨80⟩");
  // A GBK lead byte before a line break: the break still breaks the line.
  EXPECT_EQ(Decode(936, "x\x81\nyz\xFF"), u"x⟨81⟩\nyz⟨FF⟩");
  // A Big5 pair the code page does not have, inside good text.
  EXPECT_EQ(Decode(950, "\xA4\xA4\xF9\xFF\xA4\xE5"), u"中⟨F9⟩⟨FF⟩文");
  EXPECT_EQ(Decode(1252,
                   "a\x81"
                   "b"),
            u"a⟨81⟩b");
  // UTF-16LE: an unpaired surrogate's two bytes.
  EXPECT_EQ(Decode(1200, std::string("\x00\xDC"
                                     "A\0",
                                     4)),
            u"⟨00⟩⟨DC⟩A");
}

TEST(StreamDecoder, HeldBytesThatGetNoMoreAreShownNotLost) {
  StreamDecoder decoder(65001);
  Shown shown;
  const BYTE start[] = {'o', 'k', 0xE6, 0xB8};
  decoder.Take(start, 4, shown);
  EXPECT_TRUE(decoder.Holding());
  EXPECT_EQ(shown.text, u"ok");
  decoder.LetGo(shown);
  EXPECT_EQ(shown.text, u"ok⟨E6⟩⟨B8⟩");
  // A held lead byte followed by a byte that cannot continue it.
  const BYTE lead[] = {0xE6};
  const BYTE after[] = {'!'};
  decoder.Take(lead, 1, shown);
  decoder.Take(after, 1, shown);
  EXPECT_EQ(shown.text, u"ok⟨E6⟩⟨B8⟩⟨E6⟩!");
  // Another code page, or a cleared view, forgets what was held.
  decoder.Take(lead, 1, shown);
  decoder.SetCodePage(936);
  EXPECT_FALSE(decoder.Holding());
}

}  // namespace
