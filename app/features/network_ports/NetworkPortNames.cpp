#include "NetworkPortNames.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

const int kHighestPort = 1024;

struct Scheme {
  const char* szPrefix;
  NetworkProtocol Protocol;
};
const Scheme kSchemes[] = {{"rfc2217://", NetworkProtocol::Rfc2217}, {"tcp://", NetworkProtocol::RawTcp}};

std::string Lower(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

std::string PortName(int Number) { return "COM" + std::to_string(Number); }

// Every COM name the system says is in use or held.
std::set<int> NumbersInUse() {
  std::vector<char> names(64 * 1024);
  std::set<int> numbers;
  const DWORD length = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()));
  for (DWORD at = 0; at < length && names[at] != '\0';) {
    const std::string name(&names[at]);
    if (name.size() > 3 && Lower(name.substr(0, 3)) == "com") numbers.insert(std::atoi(name.c_str() + 3));
    at += static_cast<DWORD>(name.size()) + 1;
  }
  return numbers;
}

}  // namespace

std::string NetworkAddress(NetworkProtocol Protocol, const std::string& Host, int Port) {
  if (Host.empty() || Port < 1 || Port > 65535) return "";
  if (std::any_of(Host.begin(), Host.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); }))
    return "";
  std::string host = Host;
  // An IPv6 address goes in brackets, so that its last group is not read
  // as the port.
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  return std::string(Protocol == NetworkProtocol::Rfc2217 ? "rfc2217://" : "tcp://") + host + ":" +
         std::to_string(Port);
}

std::string NetworkAddressOf(const std::string& Text) {
  for (const Scheme& scheme : kSchemes) {
    const std::string prefix = scheme.szPrefix;
    if (Lower(Text.substr(0, prefix.size())) != prefix) continue;
    std::string rest = Text.substr(prefix.size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon + 1 >= rest.size()) return "";
    const std::string portText = rest.substr(colon + 1);
    if (portText.size() > 5 ||
        !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        portText[0] == '0')
      return "";
    std::string host = rest.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
      host = host.substr(1, host.size() - 2);
    else if (host.find(':') != std::string::npos)
      return "";  // an IPv6 address without its brackets
    return NetworkAddress(scheme.Protocol, host, std::stoi(portText));
  }
  return "";
}

std::string NetworkAddressOfPort(int Number) {
  char target[1024];
  const DWORD length = QueryDosDeviceA(PortName(Number).c_str(), target, sizeof target);
  if (length == 0) return "";
  return NetworkAddressOf(target);
}

bool PortNumberTaken(int Number) { return NumbersInUse().count(Number) > 0; }

int LowestFreePortNumber() {
  const std::set<int> taken = NumbersInUse();
  for (int number = 1; number <= kHighestPort; ++number)
    if (!taken.count(number)) return number;
  return 0;
}

DWORD DefineNetworkPort(int Number, const std::string& Address) {
  if (DefineDosDeviceA(0, PortName(Number).c_str(), Address.c_str())) return ERROR_SUCCESS;
  return GetLastError();
}

DWORD RemoveNetworkPort(int Number) {
  const std::string address = NetworkAddressOfPort(Number);
  if (address.empty()) return ERROR_FILE_NOT_FOUND;
  if (DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, PortName(Number).c_str(), address.c_str()))
    return ERROR_SUCCESS;
  return GetLastError();
}

int NetworkPortNumber(const std::string& Address, DWORD& Error) {
  Error = ERROR_SUCCESS;
  for (int number : NumbersInUse())
    if (NetworkAddressOfPort(number) == Address) return number;
  const int number = LowestFreePortNumber();
  if (number == 0) {
    Error = ERROR_ALREADY_EXISTS;
    return 0;
  }
  Error = DefineNetworkPort(number, Address);
  return Error == ERROR_SUCCESS ? number : 0;
}
