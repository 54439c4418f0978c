#include "port_number_memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <sstream>

#include "serial_device_map.h"
#include "small_file_read.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

const char kHeader[] =
    "# Kestrix: the COM number of each serial device it has seen.\n"
    "# Delete a line to forget a device; it gets a new number when next seen.\n";

// 1024 numbers with identities of a few hundred bytes each; a longer file
// was not written here and is read no further.
constexpr size_t kLargestNumbersFile = 1024 * 1024;

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

RememberedNumbers parseRememberedNumbers(const std::string& text) {
  RememberedNumbers numbers;
  std::set<DWORD> taken;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string::npos) continue;
    const std::optional<DWORD> number = parsePortName(line.substr(0, blank), false);
    const size_t start = line.find_first_not_of(" \t", blank);
    if (!number || start == std::string::npos) continue;
    std::string identity = line.substr(start);
    while (!identity.empty() && (identity.back() == ' ' || identity.back() == '\t' || identity.back() == '\r'))
      identity.pop_back();
    if (taken.count(*number) || numbers.count(identity)) continue;
    taken.insert(*number);
    numbers.emplace(std::move(identity), *number);
  }
  return numbers;
}

std::string formatRememberedNumbers(const RememberedNumbers& numbers) {
  std::map<DWORD, std::string> byNumber;
  for (const auto& [identity, number] : numbers) byNumber.emplace(number, identity);
  std::string text = kHeader;
  for (const auto& [number, identity] : byNumber) text += portName(number) + " " + identity + "\n";
  return text;
}

RememberedNumbers readRememberedNumbers(const fs::path& file) {
  // What stands there when it is not a file of ours (a pipe, a link) is
  // read as no numbers; the next write puts a file in its place.
  const SmallFileRead numbers = readSmallFile(file, kLargestNumbersFile);
  return numbers.result == SmallFileRead::Result::Read ? parseRememberedNumbers(numbers.text) : RememberedNumbers{};
}

bool writeRememberedNumbers(const fs::path& file, const RememberedNumbers& numbers) {
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  std::string temporary = file.string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  const bool written = writeAll(fd, formatRememberedNumbers(numbers)) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temporary.c_str(), file.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

fs::path rememberedNumbersFile() {
  const fs::path folder = configFolder();
  return folder.empty() ? fs::path() : folder / "port-numbers";
}

}  // namespace platform
