// The rules that turn udev's facts about a tty into a serial device with an
// identity and a description.
#include "serial_device_identity.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <tuple>

namespace platform {
namespace {

const char kByIdFolder[] = "/dev/serial/by-id/";

std::string property(const UdevTtyFacts& facts, const char* name) {
  auto found = facts.properties.find(name);
  return found == facts.properties.end() ? std::string() : found->second;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// udev's *_ENC properties keep the device's own text with unsafe bytes
// written as \xHH.
std::string decodeUdevText(const std::string& encoded) {
  std::string text;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x') {
      const int high = hexDigit(encoded[i + 2]);
      const int low = hexDigit(encoded[i + 3]);
      if (high >= 0 && low >= 0) {
        text += static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
    }
    text += encoded[i];
  }
  return text;
}

std::string trimmed(std::string text) {
  auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
  size_t start = 0;
  while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) ++start;
  return text.substr(start);
}

// The readable form of a vendor or model name: the device's own text when
// udev kept it, else udev's name with its blanks made underscores, else the
// hardware database's name.
std::string readableName(const UdevTtyFacts& facts, const std::string& base) {
  std::string text = trimmed(decodeUdevText(property(facts, (base + "_ENC").c_str())));
  if (text.empty()) {
    text = property(facts, base.c_str());
    std::replace(text.begin(), text.end(), '_', ' ');
    text = trimmed(text);
  }
  if (text.empty()) text = property(facts, (base + "_FROM_DATABASE").c_str());
  return text;
}

void appendPart(std::string& text, const std::string& part) {
  if (part.empty()) return;
  if (!text.empty()) text += " · ";
  text += part;
}

// Identities are kept one to a line in the numbers file: no line breaks,
// no blanks that would split them.
std::string identitySafe(std::string text) {
  for (char& c : text)
    if (std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c))) c = '_';
  return text;
}

std::string usbIdentity(const UdevTtyFacts& facts) {
  const std::string serial = property(facts, "ID_SERIAL_SHORT");
  const std::string interface = property(facts, "ID_USB_INTERFACE_NUM");
  const std::string product = property(facts, "ID_VENDOR_ID") + ":" + property(facts, "ID_MODEL_ID");
  if (!serial.empty()) {
    for (const std::string& link : facts.devlinks)
      if (link.rfind(kByIdFolder, 0) == 0) return "usb:" + link.substr(sizeof kByIdFolder - 1);
    return "usb:" + product + ":" + serial + ":" + interface;
  }
  return "usb:" + product + ":" + interface + "@" + property(facts, "ID_PATH");
}

}  // namespace

std::optional<SerialDevice> serialDeviceFromFacts(const UdevTtyFacts& facts) {
  if (!facts.hasDevice || facts.devnode.empty()) return std::nullopt;
  if (facts.uartType && std::strtol(facts.uartType->c_str(), nullptr, 10) == 0) return std::nullopt;

  SerialDevice device;
  device.node = facts.devnode;
  if (property(facts, "ID_BUS") == "usb") {
    device.identity = identitySafe(usbIdentity(facts));
  } else {
    device.identity = identitySafe("tty:" + facts.sysname);
  }
  // "FTDI FT232R USB UART · A50285BI"
  appendPart(device.description, trimmed(readableName(facts, "ID_VENDOR") + " " + readableName(facts, "ID_MODEL")));
  appendPart(device.description, property(facts, "ID_SERIAL_SHORT"));
  return device;
}

bool deviceNameBefore(const std::string& left, const std::string& right) {
  auto split = [](const std::string& name) {
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    // Leading zeros do not change the number; a longer digit run is larger.
    size_t significant = digits;
    while (significant + 1 < name.size() && name[significant] == '0') ++significant;
    return std::make_tuple(name.substr(0, digits), name.size() - significant, name.substr(significant));
  };
  auto leftParts = split(left);
  auto rightParts = split(right);
  if (leftParts != rightParts) return leftParts < rightParts;
  return left < right;
}

void makeIdentitiesUnique(std::vector<SerialDevice>& devices) {
  std::set<std::string> used;
  for (SerialDevice& device : devices) {
    if (used.insert(device.identity).second) continue;
    for (int suffix = 2;; ++suffix) {
      std::string candidate = device.identity + "#" + std::to_string(suffix);
      if (used.insert(candidate).second) {
        device.identity = std::move(candidate);
        break;
      }
    }
  }
}

}  // namespace platform
