#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnsiTextCarry.h"
#include "HexText.h"

namespace {

std::vector<BYTE> Convert(const char* text) {
  std::vector<BYTE> out(std::string(text).size() / 2 + 1, 0xEE);
  const int count = HexToBytes(text, out.data());
  EXPECT_EQ(out[count], 0) << "a zero follows the converted bytes";
  out.resize(count);
  return out;
}

TEST(HexToBytes, PairsDigitsAcrossSeparatorsAndDropsALoneLastDigit) {
  EXPECT_EQ(Convert("12 34 ab"), (std::vector<BYTE>{0x12, 0x34, 0xAB}));
  EXPECT_EQ(Convert("1 2 3 4"), (std::vector<BYTE>{0x12, 0x34}));
  EXPECT_EQ(Convert("12,3"), (std::vector<BYTE>{0x12}));
  EXPECT_EQ(Convert("123"), (std::vector<BYTE>{0x12}));
  EXPECT_EQ(Convert("0x12"), (std::vector<BYTE>{0x01}));
  EXPECT_EQ(Convert("zz"), (std::vector<BYTE>{}));
  EXPECT_EQ(Convert(""), (std::vector<BYTE>{}));
}

TEST(HexToBytes, SkipsDoubleByteCharactersWholeEvenWhenTheirSecondByteLooksLikeADigit) {
  // B0 A1 and 81 41 are GBK characters; 41 is also the letter A.
  EXPECT_EQ(Convert("1\xB0\xA1"
                    "2"),
            (std::vector<BYTE>{0x12}));
  EXPECT_EQ(Convert("\x81"
                    "A12"),
            (std::vector<BYTE>{0x12}));
}

TEST(BytesToHex, WritesUpperCasePairsEachFollowedByABlank) {
  const BYTE bytes[] = {0x41, 0x0D, 0x0A, 0x00, 0xFF};
  char text[3 * sizeof bytes + 1];
  BytesToHex(bytes, sizeof bytes, text);
  EXPECT_STREQ(text, "41 0D 0A 00 FF ");
  BytesToHex(bytes, 0, text);
  EXPECT_STREQ(text, "");
}

TEST(BytesToHex, AFullBlockFitsItsArea) {
  std::vector<BYTE> bytes(2048, 0xA5);
  std::string text(3 * bytes.size() + 1, 'x');
  BytesToHex(bytes.data(), static_cast<DWORD>(bytes.size()), text.data());
  EXPECT_EQ(std::string(text.c_str()).size(), 6144u);
}

// The carry's text in the ANSI code page, then forgotten.
std::string Taken(AnsiTextCarry& carry) {
  const std::u16string wide = carry.Text();
  carry.Forget();
  if (wide.empty()) return "";
  const int size = static_cast<int>(wide.size());
  std::string ansi(2 * wide.size(), '\0');
  ansi.resize(static_cast<size_t>(
      WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr)));
  return ansi;
}

std::string Take(AnsiTextCarry& carry, const std::string& bytes) {
  carry.Take(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), nullptr);
  return Taken(carry);
}

TEST(AnsiTextCarry, HoldsALeadByteUntilItsPartnerArrives) {
  AnsiTextCarry carry;
  EXPECT_EQ(Take(carry, "AB\xD6"), "AB");
  EXPECT_EQ(Take(carry,
                 "\xD0"
                 "C"),
            "\xD6\xD0"
            "C");
  carry.LetGoHeldByte(nullptr);
  EXPECT_EQ(Taken(carry), "") << "nothing held";
}

TEST(AnsiTextCarry, KeepsCompleteCharactersAndDropsZeroBytes) {
  AnsiTextCarry carry;
  EXPECT_EQ(Take(carry, std::string("A\0B", 3)), "AB");
  // D6 D0 CE C4: two whole characters; the last byte is a second byte, not a lead.
  EXPECT_EQ(Take(carry, "\xD6\xD0\xCE\xC4"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Take(carry, "\xCE"), "");
  carry.LetGoHeldByte(nullptr);
  EXPECT_EQ(carry.Text(), u"\uFFFD") << "the held byte, let go, shows broken";
  carry.Forget();
  EXPECT_EQ(Take(carry, "x"), "x");
}

}  // namespace
