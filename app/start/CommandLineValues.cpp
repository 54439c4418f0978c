#include "CommandLineValues.h"

#include "NetworkPortNames.h"

#include <cctype>
#include <cstdint>

#include <toolkit/translation.h>

namespace {

std::string Lower(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

// The number that Digits spells when it is nothing but 1 to 9 decimal
// digits.
std::optional<std::int64_t> WholeNumber(const std::string& Digits) {
  if (Digits.empty() || Digits.size() > 9) return std::nullopt;
  std::int64_t value = 0;
  for (char c : Digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<std::string> PortChoice(const std::string& Value) {
  const std::string address = NetworkAddressOf(Value);
  if (!address.empty()) return address;
  if (Value.size() < 4 || Lower(Value.substr(0, 3)) != "com") return std::nullopt;
  const std::optional<std::int64_t> number = WholeNumber(Value.substr(3));
  if (!number || *number < 1 || *number > 1024) return std::nullopt;
  return "COM" + std::to_string(*number);
}

std::optional<std::string> BaudChoice(const std::string& Value) {
  const std::optional<std::int64_t> rate = WholeNumber(Value);
  if (!rate || *rate < 50 || *rate > 4000000) return std::nullopt;
  return std::to_string(*rate);
}

std::optional<std::string> ParityChoice(const std::string& Value) {
  static const char* const kChoices[][3] = {{"n", "none", TR_MARK("Parity", "N (无)")},
                                            {"o", "odd", TR_MARK("Parity", "O (奇)")},
                                            {"e", "even", TR_MARK("Parity", "E (偶)")},
                                            {"m", "mark", TR_MARK("Parity", "M (标记)")},
                                            {"s", "space", TR_MARK("Parity", "S (空格)")}};
  const std::string typed = Lower(Value);
  for (const auto& choice : kChoices)
    if (typed == choice[0] || typed == choice[1]) return std::string(choice[2]);
  return std::nullopt;
}

std::optional<std::string> DataBitsChoice(const std::string& Value) {
  if (Value == "5" || Value == "6" || Value == "7" || Value == "8") return Value;
  return std::nullopt;
}

std::optional<std::string> StopBitsChoice(const std::string& Value) {
  if (Value == "1" || Value == "1.5" || Value == "2") return Value;
  return std::nullopt;
}
