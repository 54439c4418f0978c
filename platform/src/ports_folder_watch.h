// Watches the ports folders with inotify for links being made, removed or
// renamed. A folder that does not exist yet is waited for: the nearest folder
// above it that exists is watched for the next folder on the way, so that a
// ports folder made later (by the user or by the launcher) is watched from
// the moment it appears.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace platform {

class PortsFolderWatch {
 public:
  explicit PortsFolderWatch(std::vector<std::filesystem::path> folders);
  ~PortsFolderWatch();
  PortsFolderWatch(const PortsFolderWatch&) = delete;
  PortsFolderWatch& operator=(const PortsFolderWatch&) = delete;

  // The descriptor to poll for input; -1 when inotify is not available.
  int fd() const { return fd_; }
  // Reads the pending events; true when one of them may change the links
  // that the ports folders hold.
  bool readEvents();

 private:
  struct Watch {
    bool isPortsFolder;    // the ports folder itself, or a folder above it
    std::string nextName;  // above it: the name of the next folder on the way
  };

  // Drops every watch and watches each folder, or the nearest folder above
  // it that exists, afresh.
  void arm();
  void watchFolder(const std::filesystem::path& folder);

  int fd_ = -1;
  std::vector<std::filesystem::path> folders_;
  std::map<int, std::vector<Watch>> watches_;
};

}  // namespace platform
