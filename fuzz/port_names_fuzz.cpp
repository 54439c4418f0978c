// Names in the ports folder (parsePortName, readPortLinks): a name is a
// port exactly when it is the name of its number; the links read from a
// folder are those whose names are ports and whose targets exist, one
// number to each device (the lowest of its links), in ascending order.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "serial_device_map.h"

namespace fs = std::filesystem;
using platform::parsePortName;
using platform::portName;

namespace {

constexpr int kTargets = 4;

// A folder of its own for the run's links, beside a few files the links
// point at; removed when the process ends.
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/kestrix-fuzz-ports-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern) != nullptr);
    root_ = pattern;
    fs::create_directory(Links());
    for (int i = 0; i < kTargets; ++i) std::ofstream(Target(i)) << i;
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  fs::path Links() const { return root_ / "ports"; }
  fs::path Target(int i) const { return root_ / ("device" + std::to_string(i)); }
  fs::path Missing() const { return root_ / "missing"; }

  void Empty() const {
    for (const fs::directory_entry& entry : fs::directory_iterator(Links())) fs::remove(entry.path());
  }

 private:
  fs::path root_;
};

bool Usable(const std::string& name) {
  return !name.empty() && name.size() <= 255 && name != "." && name != ".." && name.find('\0') == std::string::npos;
}

void CheckNames() {
  for (DWORD number = platform::kLowestPortNumber; number <= platform::kHighestPortNumber; ++number) {
    FUZZ_CHECK(parsePortName(portName(number), false) == number);
    FUZZ_CHECK(parsePortName("com" + std::to_string(number), true) == number);
  }
}

void CheckName(const std::string& name) {
  const std::optional<DWORD> exact = parsePortName(name, false);
  if (exact) {
    FUZZ_CHECK(*exact >= platform::kLowestPortNumber && *exact <= platform::kHighestPortNumber);
    FUZZ_CHECK(portName(*exact) == name);
  }
  std::string upper = name;
  for (size_t i = 0; i < std::min<size_t>(3, upper.size()); ++i)
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[i])));
  const std::optional<DWORD> anyCase = parsePortName(name, true);
  FUZZ_CHECK(anyCase == parsePortName(upper, false));
  if (exact) FUZZ_CHECK(anyCase == exact);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Scratch scratch;
  static const bool namesChecked = (CheckNames(), true);
  (void)namesChecked;
  scratch.Empty();

  // Each field is one entry: a byte that says what it is, then its name.
  FuzzInput input(data, size);
  std::map<std::string, DWORD> lowest;
  std::set<std::string> made;
  for (int entry = 0; entry < 32 && !input.AtEnd(); ++entry) {
    std::string field = input.Field('/');
    if (field.empty()) continue;
    const uint8_t kind = static_cast<uint8_t>(field[0]);
    const std::string name = field.substr(1);
    CheckName(name);
    if (!Usable(name) || !made.insert(name).second) continue;
    const fs::path path = scratch.Links() / name;
    if (kind & 8) {  // a plain file named like a link is no link
      std::ofstream(path) << "x";
      continue;
    }
    const bool broken = (kind & 7) >= kTargets;
    const fs::path target = broken ? scratch.Missing() : scratch.Target(kind & 3);
    FUZZ_CHECK(symlink(target.c_str(), path.c_str()) == 0);
    const std::optional<DWORD> number = parsePortName(name, false);
    if (broken || !number) continue;
    const std::string device = fs::canonical(target).string();
    if (!lowest.count(device) || *number < lowest[device]) lowest[device] = *number;
  }

  const platform::SerialDeviceMap links = platform::readPortLinks(scratch.Links());
  FUZZ_CHECK(links.size() == lowest.size());
  for (size_t i = 0; i < links.size(); ++i) {
    if (i > 0) FUZZ_CHECK(links[i - 1].number < links[i].number);
    FUZZ_CHECK(lowest.count(links[i].devicePath) && lowest[links[i].devicePath] == links[i].number);
  }
  return 0;
}
