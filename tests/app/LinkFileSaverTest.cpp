// Saving the link's record: pcapng read back by Wireshark's own reader
// (tshark, capinfos), and the text log, both growing while the record does.
#include "LinkFileSaver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/temp_folder.h"
#include "LinkRowText.h"

namespace {

constexpr ULONGLONG kMs = kIntervalsPerMs;
// 2023-11-14 22:13:20 UTC (Unix 1700000000) as a FILETIME count.
constexpr ULONGLONG kT0 = (1700000000ULL + 11644473600ULL) * 10000000ULL;

std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
  pclose(pipe);
  return output;
}

bool HaveTshark() {
  return std::system("command -v tshark >/dev/null 2>&1 && command -v capinfos >/dev/null 2>&1") == 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void AddRun(LinkRecord& record, int port, ULONGLONG time, const std::string& bytes, bool sent = false, BYTE lines = 0) {
  record.Add(port, sent, port == 0 ? "COM3" : "COM4", time, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(),
             lines);
}

// A Modbus exchange: COM3 hears the request, COM4 the answer 4.5 ms later.
const std::string kRequest("\x01\x03\x00\x00\x00\x02\xC4\x0B", 8);
const std::string kResponse("\x01\x03\x04\x00\x0A\x00\x0B\x9A\x36", 9);

class LinkFileSaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record.SetFrameGap(0, 2 * kMs);
    record.SetFrameGap(1, 2 * kMs);
  }
  LinkRecord record;
  TempFolder folder;
};

TEST_F(LinkFileSaverTest, APcapngFileHoldsEveryFrameWithItsTimeInterfaceDirectionAndPayload) {
  if (!HaveTshark()) GTEST_SKIP() << "tshark and capinfos are not installed (Debian package tshark)";
  const std::string path = folder / "link.pcapng";
  LinkFileSaver saver;
  ASSERT_TRUE(saver.Open(path, LinkFileSaver::Format::Pcapng, true));

  AddRun(record, 0, kT0 + 1, kRequest, false, kLineCts | kLineDtr | kLineRts);
  AddRun(record, 1, kT0 + 45000 + 123, kResponse, false, kLineDsr | kLineDcd | kLineRing);
  record.Settle(kT0 + 100 * kMs + LinkRecord::kHold);
  ASSERT_TRUE(saver.WriteNew(record));
  // Valid between writes: readable now, with two packets.
  EXPECT_NE(Output("capinfos -c " + path).find("Number of packets:   2"), std::string::npos)
      << Output("capinfos " + path);

  // The file grows while it is open: a send of COM4's panel, later.
  AddRun(record, 1, kT0 + 2000 * kMs, "AT\r", true);
  // And a break it sent: Wireshark's break event, without bytes.
  record.AddBreak(1, "COM4", kT0 + 2500 * kMs, 250);
  record.Settle(kT0 + 2500 * kMs + LinkRecord::kHold);
  ASSERT_TRUE(saver.WriteNew(record));
  saver.Close();

  const std::vector<std::string> packets =
      Lines(Output("tshark -r " + path +
                   " -T fields -E separator=, -e frame.interface_name -e frame.time_epoch -e rtacser.eventtype"
                   " -e pkt_comment -e frame.p2p_dir -e data.data"));
  ASSERT_EQ(packets.size(), 4u) << Output("tshark -r " + path);
  EXPECT_EQ(packets[0], "COM3,1700000000.000000000,0x02,,1,010300000002c40b");
  EXPECT_EQ(packets[1], "COM4,1700000000.004512000,0x02,,1,010304000a000b9a36");
  EXPECT_EQ(packets[2], "COM4,1700000002.000000000,0x01,,0,41540d");
  EXPECT_EQ(packets[3], "COM4,1700000002.500000000,0x09,,0,");
  EXPECT_NE(Output("capinfos -I " + path).find("Number of interfaces in file: 2"), std::string::npos);
  // Each frame's control lines, in the header's fields.
  const std::vector<std::string> lines = Lines(
      Output("tshark -r " + path +
             " -T fields -E separator=, -e rtacser.cts -e rtacser.dcd -e rtacser.dsr -e rtacser.rts -e rtacser.dtr"
             " -e rtacser.ring"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "1,0,0,1,1,0");
  EXPECT_EQ(lines[1], "0,1,1,0,0,1");
  EXPECT_EQ(lines[2], "0,0,0,0,0,0");

  // Wireshark decodes the payload as Modbus RTU when asked.
  const std::string modbus =
      Output("tshark -r " + path + " -d rtacser.data,mbrtu -Y modbus.func_code==3 -T fields -e mbrtu.unit_id");
  EXPECT_EQ(Lines(modbus).size(), 2u) << modbus;
}

TEST_F(LinkFileSaverTest, TheTextLogHasOneRowPerFrameAsShownAndGrows) {
  const std::string path = folder / "link.txt";
  LinkFileSaver saver;
  AddRun(record, 0, kT0, kRequest);
  record.Settle(kT0 + LinkRecord::kHold);
  ASSERT_TRUE(saver.Open(path, LinkFileSaver::Format::Text, true));
  ASSERT_TRUE(saver.WriteNew(record)) << "what the record held when saving began is saved";
  AddRun(record, 1, kT0 + 12345 * 10 + 80000, kResponse);
  record.Settle(kT0 + 200 * kMs + LinkRecord::kHold);
  ASSERT_TRUE(saver.WriteNew(record));
  ASSERT_TRUE(saver.WriteNew(record)) << "nothing new writes nothing";
  saver.Close();  // the writer has written everything
  const std::vector<std::string> rows = Lines(Contents(path));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], ArrivalTimeText(kT0) + "  COM3 \xE2\x86\x92              01 03 00 00 00 02 C4 0B  |........|\r");
  EXPECT_EQ(rows[1].substr(15), "  COM4 \xE2\x86\x92  +20.345 ms  01 03 04 00 0A 00 0B 9A 36  |........6|\r");
  EXPECT_EQ(saver.FramesWritten, 2u);
}

TEST_F(LinkFileSaverTest, AFileThatCannotBeMadeOrWrittenSaysWhy) {
  LinkFileSaver saver;
  EXPECT_FALSE(saver.Open(folder / "missing/link.pcapng", LinkFileSaver::Format::Pcapng, true));
  EXPECT_EQ(saver.LastError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(saver.IsOpen());
  if (std::ifstream("/dev/full").good()) {
    // The writer finds the full disk with its first write; the saver says
    // so at the next frames it is given.
    ASSERT_TRUE(saver.Open("/dev/full", LinkFileSaver::Format::Pcapng, true));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (saver.WriteNew(record) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(saver.IsOpen());
    EXPECT_EQ(saver.LastError, static_cast<DWORD>(ERROR_DISK_FULL));
  }
}

TEST(LinkRowText, GapsEscapesAndHex) {
  EXPECT_EQ(GapText(kT0, kT0 + 123456789), "+12345.678 ms");
  EXPECT_EQ(GapText(kT0 + 1200, kT0), "-0.120 ms");
  EXPECT_EQ(EscapedText(std::string("a\r\n\t\\\0\x7F", 7)), "a\\r\\n\\t\\\\\\x00\\x7F");
  EXPECT_EQ(HexWithCharacters("A\x01~"), "41 01 7E  |A.~|");
  LinkFrame sent{0, 0, true, "COM9", kT0, kT0, "x"};
  EXPECT_EQ(DirectionText(sent), "\xE2\x86\x92 COM9");
  // Text rows read the bytes in the system's code page: GBK's 中 is E4 B8 AD.
  LinkFrame text{0, 1, false, "COM4", kT0, kT0, "\xD6\xD0\r\n"};
  const std::string row = LinkRowText(text, 0, false);
  EXPECT_EQ(row.substr(row.size() - 7), "\xE4\xB8\xAD\\r\\n");
}

TEST(LinkRowText, TextIsReadInTheChosenCodePageAndNoByteIsLost) {
  // 中 in UTF-8, in Big5 and in UTF-16LE.
  EXPECT_EQ(TextOfBytes("\xE4\xB8\xAD\n", CP_UTF8), "\xE4\xB8\xAD\\n");
  EXPECT_EQ(TextOfBytes("\xA4\xA4", 950), "\xE4\xB8\xAD");
  EXPECT_EQ(TextOfBytes(std::string("\x2D\x4E\x0A\x00", 4), 1200), "\xE4\xB8\xAD\\n");
  // A GBK character whose second byte is a backslash stays one character
  // (81 5C is 乗): escaping comes after reading.
  EXPECT_EQ(TextOfBytes("\x81\x5C", 936), "\xE4\xB9\x97");
  // Bytes that are no character, and a character cut off at the frame's
  // end, are shown by their values.
  EXPECT_EQ(TextOfBytes("a\xFF\xE4\xB8", CP_UTF8), "a\\xFF\\xE4\\xB8");
  EXPECT_EQ(TextOfBytes("\x81", 936), "\\x81");
  EXPECT_EQ(TextOfBytes("", 936), "");
}

}  // namespace
