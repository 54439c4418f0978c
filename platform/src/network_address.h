// The address of a port served over the network, as it is written in a
// ports-folder link's target and on the command line:
//   rfc2217://HOST:PORT   a Telnet server with the COM port option
//                         (RFC 2217), such as ser2net's telnet(rfc2217)
//   tcp://HOST:PORT       bytes only, as socat or a raw ser2net port serve
// HOST is a name, an IPv4 address or an IPv6 address in brackets
// ([::1], [fe80::1%eth0]); PORT is 1 to 65535.
#pragma once

#include <optional>
#include <string>

namespace platform {

enum class NetworkProtocol { Rfc2217, RawTcp };

struct NetworkAddress {
  NetworkProtocol protocol = NetworkProtocol::Rfc2217;
  std::string host;  // without brackets
  unsigned port = 0;

  // The address written back in the one form this layer keeps: the scheme
  // in lower case, an IPv6 host in brackets.
  std::string text() const;
  // host:port, an IPv6 host in brackets: for messages.
  std::string hostAndPort() const;
  bool operator==(const NetworkAddress&) const = default;
};

// Reads an address; nothing for any other text (a device path, a scheme of
// another kind, no host, a port out of range, blanks or control characters).
std::optional<NetworkAddress> parseNetworkAddress(const std::string& text);

// Whether a target names a network port (whether or not it is well formed):
// it starts with a scheme this layer knows.
bool looksLikeNetworkAddress(const std::string& text);

}  // namespace platform
