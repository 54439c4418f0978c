// Files sent and received by XMODEM, XMODEM-1K, YMODEM and ZMODEM between a
// panel and Debian's lrzsz on the far end of a pseudo-terminal pair, as a
// board's bootloader or a remote shell runs it: every byte compared, the
// edges of the block sizes, a batch, cancels from either side, a far end
// that goes silent, hostile names from a sender, and what the window shows.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "MainWindowTest.h"
#include "PanelFileTransfer.h"
#include "lrzsz_far_end.h"

namespace {

using Protocol = TransferProtocol;
using serial_lines::LrzszFarEnd;

bool LrzszInstalled() { return !FindProgram(Protocol::Zmodem, true).empty(); }

// Bytes that a line's flow control or a protocol's framing could spoil: every
// value, CAN, XON, XOFF and 0xFF among them, in a random order.
std::string Contents(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  const char awkward[] = {'\x18', '\x11', '\x13', '\xFF', '\x18', '\x18'};
  for (size_t i = 0; i < size && i < sizeof awkward; ++i) bytes[i * size / sizeof awkward] = awkward[i];
  return bytes;
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// XMODEM carries no size: the last block is filled with SUB (0x1A).
::testing::AssertionResult SameAsXmodemGives(const std::string& sent, const std::string& received) {
  const size_t padded = (sent.size() + 127) / 128 * 128;
  if (received.size() < sent.size() || received.compare(0, sent.size(), sent) != 0)
    return ::testing::AssertionFailure() << "the bytes differ (" << received.size() << " for " << sent.size() << ")";
  if (received.size() > padded + 896 || received.find_first_not_of('\x1A', sent.size()) != std::string::npos)
    return ::testing::AssertionFailure() << "more than padding follows";
  return ::testing::AssertionSuccess();
}

const char* ReceiverFor(Protocol protocol) {
  return protocol == Protocol::Zmodem ? "rz" : protocol == Protocol::Ymodem ? "rb" : "rx";
}

class FileTransfer : public FirstPanelOpenTest {
 protected:
  void SetUp() override {
    if (!LrzszInstalled()) GTEST_SKIP() << "lrzsz (sx, rx, sb, rb, sz, rz) is not installed: apt install lrzsz";
    FirstPanelOpenTest::SetUp();
  }

  PanelFileTransfer& Transfer() { return FeatureOf<PanelFileTransfer>(0); }
  // Runs far end and window until both have ended the transfer.
  bool RunToEnd(LrzszFarEnd& far, int timeoutMs = 30000) {
    return TickUntil([&] { return !Transfer().Running() && far.Ended().has_value(); }, timeoutMs);
  }
  std::string Summary() { return Transfer().Summary().Utf8(); }
  std::string Shown() {
    ReceiveArea& area = *form->Panels[0]->Receive;
    area.ShowNow();
    return area.ShownText().Utf8();
  }
  // A far end that receives by the protocol into there.
  std::unique_ptr<LrzszFarEnd> FarReceiver(Protocol protocol, const std::string& xmodemName = "x.bin") {
    std::vector<std::string> words{ReceiverFor(protocol), "-b"};
    if (protocol == Protocol::Xmodem || protocol == Protocol::Xmodem1K) words.insert(words.end(), {"-c", xmodemName});
    return std::make_unique<LrzszFarEnd>(FarEnd(1), there.path().string(), words);
  }
  std::unique_ptr<LrzszFarEnd> FarSender(const std::string& program, const std::vector<std::string>& files,
                                         const std::string& prefix = std::string()) {
    std::vector<std::string> words{program, "-b"};
    if (program != "sz") words.push_back("-k");
    words.insert(words.end(), files.begin(), files.end());
    return std::make_unique<LrzszFarEnd>(FarEnd(1), there.path().string(), words, prefix);
  }
  std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder here;   // the panel's side
  TempFolder there;  // the far end's
};

TEST_F(FileTransfer, EachProtocolSendsTheEdgesOfItsBlocksByteForByte) {
  const size_t sizes[] = {0, 1, 128, 129, 1024, 1025};
  for (const Protocol protocol : kTransferProtocols) {
    for (const size_t size : sizes) {
      // XMODEM has no way to say a file is empty.
      if (size == 0 && !CarriesNames(protocol)) continue;
      SCOPED_TRACE(std::string(ProtocolName(protocol)) + ", " + std::to_string(size) + " bytes");
      const std::string contents = Contents(size, static_cast<unsigned>(size));
      const std::string name = "f" + std::to_string(size) + ".bin";
      Write(here / name, contents);
      std::filesystem::remove(there / name);  // left by the protocol before
      auto far = FarReceiver(protocol, name);
      ASSERT_TRUE(Transfer().StartSending(protocol, {here / name}));
      ASSERT_TRUE(RunToEnd(*far)) << far->Said();
      EXPECT_EQ(far->Ended(), 0) << far->Said();
      if (CarriesNames(protocol))
        EXPECT_TRUE(ReadAll(there / name) == contents) << ReadAll(there / name).size();
      else
        EXPECT_TRUE(SameAsXmodemGives(contents, ReadAll(there / name)));
      EXPECT_NE(Summary().find("已发送 " + name), std::string::npos) << Summary();
    }
  }
  EXPECT_EQ(Dialogs().size(), 0u);
}

TEST_F(FileTransfer, EachProtocolReceivesTheEdgesOfItsBlocksByteForByte) {
  const size_t sizes[] = {0, 1, 128, 129, 1024, 1025};
  const Protocol protocols[] = {Protocol::Xmodem, Protocol::Ymodem, Protocol::Zmodem};
  const char* senders[] = {"sx", "sb", "sz"};
  for (int p = 0; p < 3; ++p) {
    for (const size_t size : sizes) {
      if (size == 0 && p == 0) continue;
      SCOPED_TRACE(std::string(senders[p]) + ", " + std::to_string(size) + " bytes");
      const std::string contents = Contents(size, static_cast<unsigned>(size) + 7);
      const std::string name = "r" + std::to_string(size) + ".bin";
      Write(there / name, contents);
      auto far = FarSender(senders[p], {name});
      ASSERT_TRUE(Transfer().StartReceiving(protocols[p], here.path().string(), here / ("x" + name)));
      ASSERT_TRUE(RunToEnd(*far)) << far->Said();
      EXPECT_EQ(far->Ended(), 0) << far->Said();
      if (p == 0)
        EXPECT_TRUE(SameAsXmodemGives(contents, ReadAll(here / ("x" + name))));
      else
        EXPECT_TRUE(ReadAll(here / name) == contents) << ReadAll(here / name).size();
      EXPECT_NE(Summary().find("已接收"), std::string::npos) << Summary();
    }
  }
  // Nothing of the protocols' bytes reached the receive area, and the
  // private folders are gone.
  EXPECT_EQ(Shown().find("\x18"), std::string::npos);
  for (const std::string& name : FilesIn(here.path())) EXPECT_EQ(name.find(".kestrix"), std::string::npos) << name;
}

TEST_F(FileTransfer, AMebibyteOfAwkwardBytesGoesBothWaysByYmodemAndZmodem) {
  const std::string contents = Contents(1 << 20, 1);
  Write(here / "big.bin", contents);
  Write(there / "big-back.bin", contents);
  for (const Protocol protocol : {Protocol::Ymodem, Protocol::Zmodem}) {
    SCOPED_TRACE(ProtocolName(protocol));
    std::filesystem::remove(there / "big.bin");
    auto receiver = FarReceiver(protocol);
    ASSERT_TRUE(Transfer().StartSending(protocol, {here / "big.bin"}));
    // The counter line shows how far it is while it runs.
    EXPECT_TRUE(TickUntil([&] { return Transfer().Progress().Utf8().find('%') != std::string::npos; }));
    ASSERT_TRUE(RunToEnd(*receiver, 60000)) << receiver->Said();
    EXPECT_TRUE(ReadAll(there / "big.bin") == contents);
    EXPECT_GE(PanelSentBytes[0], contents.size());

    std::filesystem::remove(here / "big-back.bin");
    auto sender = FarSender(protocol == Protocol::Zmodem ? "sz" : "sb", {"big-back.bin"});
    ASSERT_TRUE(Transfer().StartReceiving(protocol, here.path().string()));
    ASSERT_TRUE(RunToEnd(*sender, 60000)) << sender->Said();
    EXPECT_TRUE(ReadAll(here / "big-back.bin") == contents) << Summary();
  }
}

TEST_F(FileTransfer, AYmodemBatchOfThreeGoesBothWaysAndAnExistingFileIsKept) {
  const std::vector<std::string> names{"one.bin", "two with space.bin", "three \"quoted\".bin"};
  std::vector<std::string> paths;
  for (size_t i = 0; i < names.size(); ++i) {
    Write(here / names[i], Contents(1000 * (i + 1), static_cast<unsigned>(i)));
    paths.push_back(here / names[i]);
  }
  auto receiver = FarReceiver(Protocol::Ymodem);
  ASSERT_TRUE(Transfer().StartSending(Protocol::Ymodem, paths));
  ASSERT_TRUE(RunToEnd(*receiver)) << receiver->Said();
  for (const std::string& name : names) EXPECT_TRUE(ReadAll(there / name) == ReadAll(here / name)) << name;

  // Back again into the same folder: the files there are kept.
  auto sender = FarSender("sb", names);
  ASSERT_TRUE(Transfer().StartReceiving(Protocol::Ymodem, here.path().string()));
  ASSERT_TRUE(RunToEnd(*sender)) << sender->Said();
  EXPECT_TRUE(ReadAll(here / "one (1).bin") == ReadAll(here / "one.bin"));
  EXPECT_TRUE(ReadAll(here / "two with space (1).bin") == ReadAll(here / "two with space.bin"));
  EXPECT_TRUE(ReadAll(here / "three \"quoted\" (1).bin") == ReadAll(here / "three \"quoted\".bin"));
}

TEST_F(FileTransfer, AReceiverThatCancelsEndsTheSendWithItsCause) {
  Write(here / "big.bin", Contents(1 << 20, 2));
  auto receiver = FarReceiver(Protocol::Ymodem);
  ASSERT_TRUE(Transfer().StartSending(Protocol::Ymodem, {here / "big.bin"}));
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] > 20000; }));
  receiver->Kill();
  SendFromFarEnd(1, std::string(8, '\x18'));
  const DWORD start = GetTickCount();
  ASSERT_TRUE(TickUntil([&] { return !Transfer().Running(); }, 15000));
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_NE(Summary().find("发送失败"), std::string::npos) << Summary();
  EXPECT_NE(Summary().find("取消"), std::string::npos) << Summary();

  // lrzsz's own cancel (its Ctrl+C): the send ends at once, also when the
  // line no longer drains once the receiver has gone and the program here
  // is blocked writing, and would not read the cancel.
  for (const Protocol protocol : {Protocol::Xmodem1K, Protocol::Ymodem, Protocol::Zmodem}) {
    SCOPED_TRACE(ProtocolName(protocol));
    // What the last round sent after its receiver had gone is no one's, and
    // its part of the file is not this round's.
    ReceiveAtFarEnd(1, 1 << 20, std::chrono::milliseconds(300));
    std::filesystem::remove(there / "big.bin");
    auto interrupted = FarReceiver(protocol, "big.bin");
    const ULONGLONG sentBefore = PanelSentBytes[0];
    ASSERT_TRUE(Transfer().StartSending(protocol, {here / "big.bin"}));
    ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] > sentBefore + 20000; }))
        << interrupted->Said() << Summary() << Shown();
    const DWORD cancelled = GetTickCount();
    interrupted->Interrupt();
    ASSERT_TRUE(TickUntil([&] { return !Transfer().Running() && interrupted->Ended().has_value(); }, 5000));
    EXPECT_LT(GetTickCount() - cancelled, 1500u);
    EXPECT_NE(Summary().find("发送失败：接收方取消了传输"), std::string::npos) << Summary();
  }
}

TEST_F(FileTransfer, CancelHereEndsBothSidesWithTheProtocolsCancel) {
  // A ZMODEM receiver takes the cancel among the data at once; an XMODEM
  // receiver in the middle of a block takes it for the block's bytes, and
  // ends when it asks again after its wait for the rest and hears the
  // cancel once more.
  for (const Protocol protocol : {Protocol::Xmodem1K, Protocol::Zmodem}) {
    SCOPED_TRACE(ProtocolName(protocol));
    Write(here / "big.bin", Contents(1 << 20, 3));
    auto receiver = FarReceiver(protocol, "big.bin");
    ASSERT_TRUE(Transfer().StartSending(protocol, {here / "big.bin"}));
    ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] > 20000; }));
    const DWORD start = GetTickCount();
    Transfer().Cancel();
    EXPECT_FALSE(Transfer().Running());
    const DWORD limit = protocol == Protocol::Zmodem ? 1500 : 6000;
    EXPECT_TRUE(TickUntil([&] { return receiver->Ended().has_value(); }, limit)) << receiver->Said();
    EXPECT_LT(GetTickCount() - start, limit);
    EXPECT_NE(receiver->Ended(), 0);
    EXPECT_NE(Summary().find("已取消"), std::string::npos) << Summary();
    receiver->Kill();
  }
}

TEST_F(FileTransfer, ASenderThatGoesSilentEndsTheReceiveAndLeavesNoPart) {
  Write(there / "big.bin", Contents(1 << 20, 4));
  Transfer().SilenceMs = 1500;
  auto sender = FarSender("sb", {"big.bin"});
  ASSERT_TRUE(Transfer().StartReceiving(Protocol::Ymodem, here.path().string()));
  ASSERT_TRUE(TickUntil([&] { return Transfer().Progress().Utf8().find("big.bin") != std::string::npos; }));
  sender->Kill();
  ASSERT_TRUE(TickUntil([&] { return !Transfer().Running(); }, 15000));
  EXPECT_NE(Summary().find("接收失败"), std::string::npos) << Summary();
  // The far end was told to stop (a sender still there would stop).
  EXPECT_NE(ReceiveAtFarEnd(1, 1 << 16, std::chrono::milliseconds(300)).find("\x18\x18"), std::string::npos);
}

TEST_F(FileTransfer, HostileNamesFromASenderAreRefusedAndSaid) {
  std::filesystem::create_directories(there.path() / "sub");
  Write(there / "outside.bin", "not for you");
  // sz -f sends the names as given: a relative climb and an absolute name.
  auto sender = std::make_unique<LrzszFarEnd>(
      FarEnd(1), (there.path() / "sub").string(),
      std::vector<std::string>{"sz", "-f", "-b", "../outside.bin", there / "outside.bin"});
  ASSERT_TRUE(Transfer().StartReceiving(Protocol::Zmodem, (here.path()).string()));
  ASSERT_TRUE(RunToEnd(*sender)) << sender->Said();
  EXPECT_TRUE(FilesIn(here.path()).empty()) << FilesIn(here.path()).front();
  EXPECT_FALSE(std::filesystem::exists(here.path().parent_path() / "outside.bin"));
  EXPECT_NE(Summary().find("拒绝"), std::string::npos) << Summary();
  EXPECT_NE(Shown().find(Summary()), std::string::npos);

  // An absolute name that, taken as it stands, would land in the receiving
  // program's own folder (and so pass the check of what it leaves there);
  // and a name of 3,000 characters, the longest a sender's system opens.
  std::string longName;
  for (int i = 0; i < 12; ++i) longName += std::string(245, 'd') + std::to_string(i) + "/";
  std::filesystem::create_directories(there.path() / longName);
  Write(there / (longName + "long.bin"), "long");
  for (const std::string& name : {std::string("/proc/self/cwd/outside.bin"), longName + "long.bin"}) {
    SCOPED_TRACE(name.substr(0, 40));
    ReceiveAtFarEnd(1, 1 << 20, std::chrono::milliseconds(300));
    auto hostile = std::make_unique<LrzszFarEnd>(FarEnd(1), there.path().string(),
                                                 std::vector<std::string>{"sz", "-f", "-b", name});
    ASSERT_TRUE(Transfer().StartReceiving(Protocol::Zmodem, here.path().string()));
    ASSERT_TRUE(RunToEnd(*hostile)) << hostile->Said();
    EXPECT_TRUE(FilesIn(here.path()).empty()) << FilesIn(here.path()).front();
    EXPECT_NE(Summary().find("拒绝了发送方的文件名 " + name.substr(0, 20)), std::string::npos) << Summary();
  }
}

TEST_F(FileTransfer, ABootloaderThatSaysItIsReadyThenReceives) {
  const std::string contents = Contents(5000, 5);
  Write(here / "u-boot.bin", contents);
  const std::string ready = "## Ready for binary (ymodem) download to 0x82000000 at 115200 bps...\r\n";
  std::vector<std::string> words{"rb", "-b"};
  auto board = std::make_unique<LrzszFarEnd>(FarEnd(1), there.path().string(), words, ready);
  ASSERT_TRUE(TickUntil([&] { return Shown().find("## Ready for binary") != std::string::npos; }));
  ASSERT_TRUE(Transfer().StartSending(Protocol::Ymodem, {here / "u-boot.bin"}));
  ASSERT_TRUE(RunToEnd(*board)) << board->Said();
  EXPECT_TRUE(ReadAll(there / "u-boot.bin") == contents);
  EXPECT_NE(Shown().find("YMODEM：已发送 u-boot.bin"), std::string::npos) << Shown();
}

TEST_F(FileTransfer, AZmodemSenderStartsAReceiveWhenChosen) {
  const std::string contents = Contents(3000, 6);
  Write(there / "pushed.bin", contents);
  Transfer().ZmodemWithoutAsking = true;
  Transfer().ReceiveFolder = here.path().string();
  auto sender = FarSender("sz", {"pushed.bin"});
  ASSERT_TRUE(TickUntil([&] { return Transfer().Running(); }));
  ASSERT_TRUE(RunToEnd(*sender)) << sender->Said();
  EXPECT_TRUE(ReadAll(here / "pushed.bin") == contents) << Summary();
  EXPECT_EQ(Dialogs().size(), 0u);
}

TEST_F(FileTransfer, TypedSendsDuringATransferAreRefusedAndAMissingProgramIsSaid) {
  Write(here / "big.bin", Contents(300000, 7));
  auto receiver = FarReceiver(Protocol::Zmodem);
  ASSERT_TRUE(Transfer().StartSending(Protocol::Zmodem, {here / "big.bin"}));
  form->Edit1->Text = "typed";
  form->Button2->Click();
  ASSERT_TRUE(RunToEnd(*receiver)) << receiver->Said();
  EXPECT_TRUE(ReadAll(there / "big.bin") == ReadAll(here / "big.bin"));
  EXPECT_NE(Shown().find("文件传输正在进行"), std::string::npos);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));

  const std::string path = getenv("PATH");
  setenv("PATH", here.path().c_str(), 1);
  EXPECT_FALSE(Transfer().StartSending(Protocol::Xmodem, {here / "big.bin"}));
  setenv("PATH", path.c_str(), 1);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_NE(Dialogs()[0].Text.Utf8().find("lrzsz"), std::string::npos);
  EXPECT_FALSE(Transfer().Running());
}

}  // namespace
