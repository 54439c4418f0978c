// The parts of a file transfer that need no line: which sender's names are
// refused, how a kept file's neighbour is numbered, what is taken from a
// receiver's private folder, what lrzsz's progress lines say, and a ZMODEM
// sender's start header found across blocks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../support/temp_folder.h"
#include "LrzszReport.h"
#include "ReceivedFiles.h"
#include "TransferProtocols.h"
#include "ZmodemStart.h"

namespace {

TEST(SenderNames, ThoseThatLeaveTheFolderOrNameADeviceAreRefused) {
  for (const char* name : {"", ".", "..", "../x", "/etc/x", "a/b", "a\\b", "COM1", "con.txt", "Nul", "lpt9.bin", "aux ",
                           "bell\a", "tab\tname"})
    EXPECT_FALSE(NameRefusal(name).empty()) << name;
  EXPECT_FALSE(NameRefusal(std::string(10000, 'x')).empty());
  for (const char* name : {"x", "..x", "COM10", "console.log", "firmware v2.bin", "固件.bin", ".hidden"})
    EXPECT_TRUE(NameRefusal(name).empty()) << name;
  EXPECT_EQ(NumberedName("image.bin", 2), "image (2).bin");
  EXPECT_EQ(NumberedName("README", 1), "README (1)");
  EXPECT_EQ(NumberedName(".profile", 1), ".profile (1)");
}

TEST(SenderNames, TakenFilesKeepWhatIsThereAndRefusedOnesStayOut) {
  TempFolder folder;
  const std::string target = folder / "target", inside = folder / "target/.private";
  std::filesystem::create_directories(inside);
  std::ofstream(target + "/a.bin") << "old";
  std::ofstream(inside + "/a.bin") << "new";
  std::ofstream(inside + "/b.bin") << "b";
  std::ofstream(inside + "/COM1") << "device";
  std::filesystem::create_directories(inside + "/sub");
  std::filesystem::create_symlink("/etc/passwd", inside + "/link");
  const TakenFiles taken = TakeReceivedFiles(inside, target);
  EXPECT_EQ(taken.Error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(taken.Placed.size(), 2u);
  ASSERT_EQ(taken.Refused.size(), 1u);
  EXPECT_EQ(taken.Refused[0], "COM1");
  std::ifstream old(target + "/a.bin"), kept(target + "/a (1).bin");
  std::string oldText, keptText;
  old >> oldText;
  kept >> keptText;
  EXPECT_EQ(oldText, "old");
  EXPECT_EQ(keptText, "new");
  EXPECT_TRUE(std::filesystem::exists(target + "/b.bin"));
  EXPECT_FALSE(std::filesystem::exists(target + "/link"));
  EXPECT_FALSE(std::filesystem::exists(inside)) << "the private folder stays";
  EXPECT_TRUE(std::filesystem::exists("/etc/passwd"));
}

TEST(LrzszReports, ProgressRetriesAndCausesAreRead) {
  LrzszReport sent;
  // As sb -vv prints it, its progress line redrawn in place; in pieces.
  const std::string text =
      "Sending: f.bin\r\nYmodem sectors/kbytes sent:   0/ 0k\rYmodem sectors/kbytes sent:  17/ 2k\rRetry 0: NAK on "
      "sector\r\nBytes Sent:   5120   BPS:2547     \r\nSending: \r\n\r\nTransfer complete\r\n";
  for (size_t at = 0; at < text.size(); at += 7) sent.Take(text.substr(at, 7));
  EXPECT_EQ(sent.File(), "f.bin");
  EXPECT_EQ(sent.Files().size(), 1u);
  EXPECT_EQ(sent.Done(), 5120u);
  EXPECT_EQ(sent.Blocks(), 17u);
  EXPECT_EQ(sent.Retries(), 1);
  EXPECT_EQ(sent.Failure(), TransferFailure::None);

  LrzszReport received;
  received.Take("rb waiting to receive.\r\nReceiving: f.bin\r\nBlocks received: 5\rBlocks received: -10\r\n");
  EXPECT_EQ(received.Blocks(), 5u) << "a negative count is no count";
  for (const auto& [line, failure] :
       std::vector<std::pair<std::string, TransferFailure>>{{"Retry Count Exceeded\n", TransferFailure::TooManyRetries},
                                                            {"Cancelled\n", TransferFailure::FarEndCancelled},
                                                            {"TIMEOUT\n", TransferFailure::NoAnswer},
                                                            {"Security Violation\n", TransferFailure::NameRefused}}) {
    LrzszReport failed;
    failed.Take("Receiving: ../x\n" + line);
    EXPECT_EQ(failed.Failure(), failure) << line;
  }
  LrzszReport hostile;
  hostile.Take("Receiving: " + std::string(10000, 'y') + "\x1b[2J\n");
  EXPECT_LT(hostile.File().size(), 300u);
  EXPECT_EQ(hostile.File().find('\x1b'), std::string::npos);
}

TEST(ZmodemStarts, TheHeaderIsFoundAlsoWhenSplitAndNotOtherwise) {
  const std::string header(
      "**\x18"
      "B00000000000000\r\n",
      20);
  for (size_t split = 0; split <= 6; ++split) {
    ZmodemStart start;
    const std::string first = "login: rz\r" + header.substr(0, split), second = header.substr(split);
    const bool early = start.Seen(reinterpret_cast<const BYTE*>(first.data()), static_cast<DWORD>(first.size()));
    const bool late = start.Seen(reinterpret_cast<const BYTE*>(second.data()), static_cast<DWORD>(second.size()));
    EXPECT_TRUE(early != late) << split;
  }
  ZmodemStart start;
  const std::string almost(
      "**\x18"
      "A00 **B00 *\x18"
      "B00",
      14);
  EXPECT_FALSE(start.Seen(reinterpret_cast<const BYTE*>(almost.data()), static_cast<DWORD>(almost.size())));
}

TEST(ProtocolCommands, AFarEndAsksAgainAfterACancelWithItsProtocolsBytesOnly) {
  const auto asks = [](const std::string& bytes) {
    return AsksAgainAfterCancel(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  };
  EXPECT_TRUE(asks("\x15"));
  EXPECT_TRUE(asks("C"));
  EXPECT_TRUE(
      asks("**\x18"
           "B0100000023be50\r\x8a\x11"));  // ZRINIT
  EXPECT_TRUE(
      asks("*\x18"
           "C\x04"));  // a binary header
  EXPECT_FALSE(asks("## Binary (ymodem) download aborted\r\n=> "));
  EXPECT_FALSE(asks("re"));
  EXPECT_FALSE(asks("CC"));  // typed, or a receiver's 'C's, which a NAK follows
  EXPECT_FALSE(asks(""));
}

TEST(ProtocolCommands, NamesAreQuotedAndOptionsEnded) {
  EXPECT_EQ(QuotedWord("plain"), "plain");
  EXPECT_EQ(QuotedWord("with space"), "\"with space\"");
  EXPECT_EQ(QuotedWord("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(QuotedWord("ends\\"), "ends\\");
  EXPECT_EQ(QuotedWord("a b\\"), "\"a b\\\\\"");
  EXPECT_EQ(QuotedWord(""), "\"\"");
  const std::string line = SendCommandLine(TransferProtocol::Ymodem, "/usr/bin/sb", {"-rf", "a b"});
  EXPECT_EQ(line, "/usr/bin/sb -vv -b -k -- -rf \"a b\"");
}

}  // namespace
