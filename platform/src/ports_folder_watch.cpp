#include "ports_folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr uint32_t kPortsFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;
constexpr uint32_t kFolderAboveEvents =
    IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;
constexpr uint32_t kLinkEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// The folder itself went away or moved: it must be waited for again.
constexpr uint32_t kFolderGoneEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

bool isFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

}  // namespace

PortsFolderWatch::PortsFolderWatch(std::vector<fs::path> folders) : folders_(std::move(folders)) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  arm();
}

PortsFolderWatch::~PortsFolderWatch() {
  if (fd_ >= 0) close(fd_);
}

void PortsFolderWatch::arm() {
  if (fd_ < 0) return;
  for (const auto& [descriptor, watches] : watches_) inotify_rm_watch(fd_, descriptor);
  watches_.clear();
  for (const fs::path& folder : folders_)
    if (!folder.empty()) watchFolder(folder);
}

void PortsFolderWatch::watchFolder(const fs::path& folder) {
  // A folder made between the look and the watch would be missed, so the
  // look is repeated once the watch is in place; so is a folder removed
  // between the look and the watch, whose watch fails: the folder above it
  // is watched instead (a folder tree being removed goes bottom up, and
  // without this its last events would leave nothing watched).
  for (int attempt = 0; attempt < 8; ++attempt) {
    fs::path watched = folder;
    std::string nextName;
    while (!isFolder(watched)) {
      const fs::path above = watched.parent_path();
      if (above.empty() || above == watched) return;
      nextName = watched.filename().string();
      watched = above;
    }
    const bool isPortsFolder = watched == folder;
    const int descriptor =
        inotify_add_watch(fd_, watched.c_str(), isPortsFolder ? kPortsFolderEvents : kFolderAboveEvents);
    if (descriptor < 0) {
      if (errno == ENOENT || errno == ENOTDIR) continue;
      return;
    }
    watches_[descriptor].push_back(Watch{isPortsFolder, nextName});
    if (isPortsFolder || !isFolder(watched / nextName)) return;
  }
}

bool PortsFolderWatch::readEvents() {
  if (fd_ < 0) return false;
  bool changed = false;
  bool rearm = false;
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t length = read(fd_, buffer, sizeof buffer);
    if (length < 0 && errno == EINTR) continue;
    if (length <= 0) break;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        changed = rearm = true;
        continue;
      }
      auto found = watches_.find(event->wd);
      if (found == watches_.end()) continue;  // a watch dropped by arm()
      const std::string name = event->len > 0 ? event->name : "";
      for (const Watch& watch : found->second) {
        if (watch.isPortsFolder) {
          if (event->mask & kLinkEvents) changed = true;
          if (event->mask & kFolderGoneEvents) changed = rearm = true;
        } else if (name == watch.nextName) {
          // The way to a ports folder grew: it may already hold links.
          changed = rearm = true;
        } else if (event->mask & kFolderGoneEvents) {
          // The way itself went: the folder above it is watched instead.
          rearm = true;
        }
      }
    }
  }
  if (rearm) arm();
  return changed;
}

}  // namespace platform
