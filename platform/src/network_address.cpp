#include "network_address.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

struct Scheme {
  const char* prefix;
  NetworkProtocol protocol;
};
constexpr Scheme kSchemes[] = {{"rfc2217://", NetworkProtocol::Rfc2217}, {"tcp://", NetworkProtocol::RawTcp}};

// The longest name DNS allows.
constexpr size_t kLongestHost = 253;

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(b)) == a;
         });
}

// Names, IPv4 addresses and IPv6 addresses (with a zone after '%') use
// only these; anything else (blanks, '/', '@', control characters) is no
// host.
bool isHostCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '.' || c == '-' || c == '_' || c == ':' || c == '%';
}

std::optional<unsigned> parsePort(const std::string& text) {
  if (text.empty() || text.size() > 5 || text[0] == '0') return std::nullopt;
  unsigned port = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    port = port * 10 + static_cast<unsigned>(c - '0');
  }
  if (port > 65535) return std::nullopt;
  return port;
}

}  // namespace

std::string NetworkAddress::hostAndPort() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NetworkAddress::text() const {
  return std::string(protocol == NetworkProtocol::Rfc2217 ? "rfc2217://" : "tcp://") + hostAndPort();
}

bool looksLikeNetworkAddress(const std::string& text) {
  return std::any_of(std::begin(kSchemes), std::end(kSchemes),
                     [&](const Scheme& scheme) { return startsWithIgnoringCase(text, scheme.prefix); });
}

std::optional<NetworkAddress> parseNetworkAddress(const std::string& text) {
  NetworkAddress address;
  std::string rest;
  for (const Scheme& scheme : kSchemes) {
    if (!startsWithIgnoringCase(text, scheme.prefix)) continue;
    address.protocol = scheme.protocol;
    rest = text.substr(std::string(scheme.prefix).size());
  }
  if (rest.empty()) return std::nullopt;
  // A trailing slash is what a URL often carries; nothing may follow it.
  if (rest.back() == '/') rest.pop_back();

  std::string portText;
  if (rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') return std::nullopt;
    address.host = rest.substr(1, close - 1);
    portText = rest.substr(close + 2);
    if (address.host.find(':') == std::string::npos) return std::nullopt;  // brackets only for IPv6
  } else {
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    address.host = rest.substr(0, colon);
    portText = rest.substr(colon + 1);
    // An IPv6 address needs its brackets, or its last group reads as the port.
    if (address.host.find(':') != std::string::npos) return std::nullopt;
  }
  if (address.host.empty() || address.host.size() > kLongestHost) return std::nullopt;
  if (!std::all_of(address.host.begin(), address.host.end(), isHostCharacter)) return std::nullopt;
  if (address.host.find('%') != std::string::npos && address.host.find(':') == std::string::npos)
    return std::nullopt;  // a zone belongs to an IPv6 address only
  const std::optional<unsigned> port = parsePort(portText);
  if (!port) return std::nullopt;
  address.port = *port;
  return address;
}

}  // namespace platform
