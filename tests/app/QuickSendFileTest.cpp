// Quick sends as text: the file form read back as written, bad lines named
// and left out, the escapes and bytes of a message, and the order and
// periods of the schedule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QuickSendFile.h"
#include "QuickSendSchedule.h"
#include "QuickSendText.h"

namespace {

std::string Bytes(const QuickSend& send) {
  std::string bytes, error;
  EXPECT_TRUE(QuickSendBytes(send, bytes, error)) << error;
  return bytes;
}

std::string Refused(const QuickSend& send) {
  std::string bytes, error;
  EXPECT_FALSE(QuickSendBytes(send, bytes, error));
  return error;
}

TEST(QuickSendFile, AListReadsBackAsItWasWritten) {
  const std::vector<QuickSend> sends = {
      {"Read 10 registers", "01 03 00 00 00 0A", true, Checksum::Modbus, 1000},
      {"温度?", "READ TEMP\\r\\n", false, Checksum::None, 0},
      {"tab and blank", "a\tb ", false, Checksum::Xor8, 100},
      {"raw", "\\x00\\xff\\\\", false, Checksum::Crc32, 3600000},
  };
  const std::string text = QuickSendFileText(sends);
  EXPECT_EQ(text.rfind("# ", 0), 0u) << "a comment names the fields";
  EXPECT_NE(text.find("Read 10 registers\thex\tmodbus\t1000\t01 03 00 00 00 0A\n"), std::string::npos) << text;
  EXPECT_NE(text.find("tab and blank\ttext\txor8\t100\ta\\tb\\x20\n"), std::string::npos) << text;
  const QuickSendFileRead read = ReadQuickSendFile(text);
  EXPECT_TRUE(read.Errors.empty()) << read.Errors[0];
  ASSERT_EQ(read.Sends.size(), sends.size());
  for (size_t n = 0; n < sends.size(); ++n) {
    EXPECT_EQ(Bytes(read.Sends[n]), Bytes(sends[n])) << n;
    EXPECT_EQ(read.Sends[n].Name, sends[n].Name);
    EXPECT_EQ(read.Sends[n].PeriodMs, sends[n].PeriodMs);
    EXPECT_EQ(read.Sends[n].Check, sends[n].Check);
  }
  EXPECT_EQ(read.Sends[1], sends[1]) << "a message without tabs or end blanks is kept as typed";
}

TEST(QuickSendFile, EachBadLineIsNamedWithItsReasonAndTheGoodOnesStay) {
  const std::string text =
      "# comment\r\n"
      "\n"
      "good\thex\tnone\t0\t01 02\r\n"
      "no fields at all\n"
      "x\tbinary\tnone\t0\t01\n"
      "x\thex\tcrc16\t0\t01\n"
      "x\thex\tnone\t150\t01\n"
      "x\thex\tnone\t-100\t01\n"
      "x\thex\tnone\t3600100\t01\n"
      "\thex\tnone\t0\t01\n"
      "x\thex\tnone\t0\tzz\n"
      "x\ttext\tnone\t0\t\n"
      "x\ttext\tnone\t0\tbad \\q escape\n"
      "x\ttext\tnone\t0\tshort \\x4\n"
      "x\ttext\tnone\t0\tends with \\\n"
      "x\ttext\tnone\t0\t\xff\xfe\n"
      "x\ttext\tsum8\t200\tmessage with\ttab\n"
      "x\x01y\ttext\tnone\t0\tA\n"
      "x\xc2\x85y\ttext\tnone\t0\tA\n"
      "last\ttext\tsum8\t200\tmessage with\\ttab";
  const QuickSendFileRead read = ReadQuickSendFile(text);
  ASSERT_EQ(read.Sends.size(), 2u);
  EXPECT_EQ(read.Sends[0].Name, "good");
  EXPECT_EQ(read.Sends[1].Message, "message with\\ttab") << "a tab in a message is written \\t";
  const std::vector<std::string> lines = {"第 4 行",  "第 5 行",  "第 6 行",  "第 7 行",  "第 8 行",  "第 9 行",
                                          "第 10 行", "第 11 行", "第 12 行", "第 13 行", "第 14 行", "第 15 行",
                                          "第 16 行", "第 17 行", "第 18 行", "第 19 行"};
  ASSERT_EQ(read.Errors.size(), lines.size());
  for (size_t n = 0; n < lines.size(); ++n) EXPECT_EQ(read.Errors[n].rfind(lines[n] + "：", 0), 0u) << read.Errors[n];
  EXPECT_NE(read.Errors[0].find("有 1 个"), std::string::npos) << read.Errors[0];
  EXPECT_NE(read.Errors[2].find("crc16"), std::string::npos) << "names what it did not know";
  EXPECT_NE(read.Errors[3].find("150"), std::string::npos);
  EXPECT_NE(read.Errors[13].find("有 6 个"), std::string::npos) << "a sixth field is refused, not joined";
  EXPECT_NE(read.Errors[14].find("控制字符"), std::string::npos) << read.Errors[14];
  EXPECT_NE(read.Errors[15].find("控制字符"), std::string::npos) << "a C1 control too";
  EXPECT_TRUE(ReadQuickSendFile("").Sends.empty());
  EXPECT_TRUE(ReadQuickSendFile("# only a comment\n").Errors.empty());
}

TEST(QuickSendText, TextIsSentInTheCodePageWithEscapesAsBytesThenItsChecksum) {
  EXPECT_EQ(Bytes({"n", "温度\\r\\n", false, Checksum::None, 0}), "\xCE\xC2\xB6\xC8\r\n");
  EXPECT_EQ(Bytes({"n", "a\\tb\\\\c\\x00\\x7F", false, Checksum::None, 0}), std::string("a\tb\\c\0\x7F", 7));
  EXPECT_EQ(Bytes({"n", "01 03 00 00 00 0a", true, Checksum::Modbus, 0}),
            std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8));
  EXPECT_EQ(Bytes({"n", "123456789", false, Checksum::Sum8, 0}), "123456789\xDD");
  EXPECT_NE(Refused({"n", "zz", true, Checksum::Modbus, 0}), "");
  EXPECT_NE(Refused({"n", "\\x", false, Checksum::None, 0}), "");
  EXPECT_NE(Refused({"n", "", false, Checksum::None, 0}), "");
  EXPECT_EQ(EscapeForLine("a\r\n\t "), "a\\r\\n\\t\\x20");
}

TEST(QuickSendSchedule, EachGoesEveryPeriodOfItsOwnAndThoseDueTogetherGoInListOrder) {
  QuickSendSchedule schedule;
  const std::vector<unsigned> order = {7, 3};
  schedule.Start(3, 3);  // started first, but listed second
  schedule.Start(7, 2);
  std::vector<std::vector<unsigned>> ticks;
  for (int t = 1; t <= 6; ++t) ticks.push_back(schedule.Tick(order));
  EXPECT_EQ(ticks, (std::vector<std::vector<unsigned>>{{}, {7}, {3}, {7}, {}, {7, 3}}));
  schedule.Stop(7);
  EXPECT_FALSE(schedule.Running(7));
  EXPECT_TRUE(schedule.Running(3));
  EXPECT_EQ(schedule.Tick(order), std::vector<unsigned>{});
  schedule.StopAll();
  EXPECT_TRUE(schedule.Empty());
  for (int t = 0; t < 5; ++t) EXPECT_TRUE(schedule.Tick(order).empty());
}

}  // namespace
