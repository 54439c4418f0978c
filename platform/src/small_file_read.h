// Reading a small file the program keeps itself (a lock file, the port
// numbers) from a folder others can write in: the name itself, never a link
// followed, never a wait on a pipe or device, and no more than a text of
// its kind can hold.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

struct SmallFileRead {
  enum class Result { Read, Missing, NotAFile, Failed };
  Result result = Result::Failed;
  std::string text;  // the first bytes, at most the limit, when Read
  std::string kind;  // what stands there instead ("a FIFO", ...), when NotAFile
};

SmallFileRead readSmallFile(const std::filesystem::path& path, size_t limit);

}  // namespace platform
