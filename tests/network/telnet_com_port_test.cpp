// The Telnet framing and option negotiation of RFC 2217, and the network
// address forms, without a socket.
#include <gtest/gtest.h>

#include "network_address.h"
#include "telnet_com_port.h"

namespace {
using namespace platform;
using namespace platform::telnet;

std::string bytes(std::initializer_list<int> values) {
  std::string text;
  for (int value : values) text.push_back(static_cast<char>(value));
  return text;
}

struct Recorder : Reader::Handler {
  std::vector<std::pair<int, int>> options;
  std::vector<std::string> subs;
  void optionCommand(unsigned char verb, unsigned char option) override { options.emplace_back(verb, option); }
  void subnegotiation(const std::vector<unsigned char>& body) override { subs.emplace_back(body.begin(), body.end()); }
};

// Feeds the stream in pieces of `step` bytes; returns the data read.
std::string readInSteps(Reader& reader, Recorder& recorder, const std::string& stream, size_t step) {
  std::string data;
  for (size_t at = 0; at < stream.size(); at += step) {
    const size_t count = std::min(step, stream.size() - at);
    std::string out(count, '\0');
    const size_t got = reader.read(reinterpret_cast<const unsigned char*>(stream.data() + at), count,
                                   reinterpret_cast<unsigned char*>(out.data()), recorder);
    data += out.substr(0, got);
  }
  return data;
}

TEST(TelnetReader, TakesDataCommandsAndSubnegotiationsApartHoweverTheStreamIsSplit) {
  const std::string stream =
      bytes({'a', IAC, IAC,  'b', IAC, WILL, kBinary,       'c',      IAC, SB, kComPortOption, 101, 0, 0,
             IAC, IAC, 0x80, IAC, SE,  IAC,  241 /* NOP */, 0xFF - 1, IAC, IAC});
  for (size_t step : {1u, 2u, 3u, 7u, 100u}) {
    Reader reader;
    Recorder recorder;
    EXPECT_EQ(readInSteps(reader, recorder, stream, step), bytes({'a', 0xFF, 'b', 'c', 0xFE, 0xFF})) << step;
    ASSERT_EQ(recorder.options.size(), 1u);
    EXPECT_EQ(recorder.options[0], std::make_pair(int{WILL}, int{kBinary}));
    ASSERT_EQ(recorder.subs.size(), 1u);
    EXPECT_EQ(recorder.subs[0], bytes({kComPortOption, 101, 0, 0, 0xFF, 0x80}));
  }
}

TEST(TelnetReader, DropsAnOverlongSubnegotiationAndReadsOnAfterIt) {
  std::string stream = bytes({IAC, SB, kComPortOption});
  stream += std::string(1000, 'x');
  stream += bytes({IAC, SE, 'o', 'k'});
  Reader reader;
  Recorder recorder;
  EXPECT_EQ(readInSteps(reader, recorder, stream, 64), "ok");
  EXPECT_TRUE(recorder.subs.empty());
}

TEST(TelnetReader, ASubnegotiationBrokenOffByACommandLeavesTheCommand) {
  Reader reader;
  Recorder recorder;
  EXPECT_EQ(readInSteps(reader, recorder, bytes({IAC, SB, kComPortOption, 7, IAC, DO, kBinary, 'z'}), 1), "z");
  EXPECT_TRUE(recorder.subs.empty());
  ASSERT_EQ(recorder.options.size(), 1u);
  EXPECT_EQ(recorder.options[0], std::make_pair(int{DO}, int{kBinary}));
}

TEST(TelnetWriter, DoublesEveryIacInDataAndInCommandValues) {
  std::string out;
  const unsigned char data[] = {1, 0xFF, 0xFF, 2};
  appendData(out, data, sizeof data);
  EXPECT_EQ(out, bytes({1, 0xFF, 0xFF, 0xFF, 0xFF, 2}));
  out.clear();
  appendComPortCommand(out, kSetBaudRate, {0, 0, 0xFF, 0x01});
  EXPECT_EQ(out, bytes({IAC, SB, kComPortOption, kSetBaudRate, 0, 0, 0xFF, 0xFF, 0x01, IAC, SE}));
}

TEST(TelnetOptions, AsksForTheOptionsItUsesAndAnswersEachChangeOnce) {
  Options options;
  std::string out;
  options.start(out);
  EXPECT_EQ(out, bytes({IAC, WILL, kBinary, IAC, DO, kBinary, IAC, WILL, kSuppressGoAhead, IAC, DO, kSuppressGoAhead,
                        IAC, WILL, kComPortOption}));
  out.clear();
  // Answers to our own requests are not answered again.
  options.received(DO, kBinary, out);
  options.received(WILL, kBinary, out);
  options.received(DO, kComPortOption, out);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(options.comPortAgreed());
  // Repeats change nothing; an option we do not use is refused once.
  options.received(DO, kBinary, out);
  options.received(WILL, 1 /* ECHO */, out);
  options.received(WILL, 1, out);
  EXPECT_EQ(out, bytes({IAC, DONT, 1}));
  out.clear();
  // Turning off one that was on is acknowledged.
  options.received(WONT, kBinary, out);
  EXPECT_EQ(out, bytes({IAC, DONT, kBinary}));
}

TEST(TelnetOptions, AServerWithoutComPortOptionIsSeenAsSuch) {
  Options options;
  std::string out;
  options.start(out);
  out.clear();
  options.received(DONT, kComPortOption, out);
  EXPECT_EQ(out, "");
  EXPECT_FALSE(options.comPortAgreed());
  EXPECT_TRUE(options.comPortRefused());
  // A server offering it itself (as pyserial's does) is taken at its word.
  Options offered;
  offered.start(out);
  out.clear();
  offered.received(WILL, kComPortOption, out);
  EXPECT_EQ(out, bytes({IAC, DO, kComPortOption}));
  EXPECT_TRUE(offered.comPortAgreed());
}

TEST(NetworkAddress, ReadsNamesIpv4AndIpv6InBothProtocols) {
  auto address = parseNetworkAddress("RFC2217://pi.lab:2000/");
  ASSERT_TRUE(address);
  EXPECT_EQ(address->protocol, NetworkProtocol::Rfc2217);
  EXPECT_EQ(address->host, "pi.lab");
  EXPECT_EQ(address->port, 2000u);
  EXPECT_EQ(address->text(), "rfc2217://pi.lab:2000");
  address = parseNetworkAddress("tcp://[fe80::1%eth0]:65535");
  ASSERT_TRUE(address);
  EXPECT_EQ(address->protocol, NetworkProtocol::RawTcp);
  EXPECT_EQ(address->host, "fe80::1%eth0");
  EXPECT_EQ(address->text(), "tcp://[fe80::1%eth0]:65535");
  EXPECT_EQ(parseNetworkAddress("tcp://10.0.0.7:1")->hostAndPort(), "10.0.0.7:1");
}

TEST(NetworkAddress, RefusesWhatIsNoAddress) {
  for (const char* text :
       {"/dev/ttyUSB0", "rfc2217://", "rfc2217://host", "rfc2217://host:0", "rfc2217://host:65536",
        "rfc2217://host:02000", "rfc2217://:2000", "tcp://::1:2000", "tcp://[::1]2000", "tcp://[1.2.3.4]:5",
        "tcp://a b:1", "tcp://user@host:1", "tcp://host:1/x", "udp://h:1", "tcp://host%eth0:1", "tcp://host:-1"})
    EXPECT_FALSE(parseNetworkAddress(text)) << text;
  EXPECT_TRUE(looksLikeNetworkAddress("TCP://whatever"));
  EXPECT_FALSE(looksLikeNetworkAddress("/dev/tcp"));
}

}  // namespace
