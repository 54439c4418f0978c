// The device monitor: one thread that waits in poll() on a udev monitor of
// the tty subsystem, on the watch of the ports folders and on a wake-up
// descriptor. A change is reported once no further change has come for a
// brief quiet time (plugging in an adapter raises several events, and so
// does replacing a link), and at the latest a little after the first one.
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <kestrix/device_changes.h>

#include "machine_sources.h"
#include "ports_folder_watch.h"
#include "serial_device_map.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kQuietTime{100};
constexpr milliseconds kLongestDelay{300};

// Serial devices as udev announces them, once its rules have run (so that
// the device node has its final name, group and links).
class UdevTtyMonitor {
 public:
  UdevTtyMonitor() {
    udev_ = udev_new();
    if (!udev_) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
      // Without udev (a container, a build machine) only links are seen.
      monitor_ = udev_monitor_unref(monitor_);
    }
  }
  ~UdevTtyMonitor() {
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
  }
  UdevTtyMonitor(const UdevTtyMonitor&) = delete;
  UdevTtyMonitor& operator=(const UdevTtyMonitor&) = delete;

  int fd() const { return monitor_ ? udev_monitor_get_fd(monitor_) : -1; }

  // Takes every announced device; true when there was one.
  bool readEvents() {
    if (!monitor_) return false;
    bool changed = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      changed = true;
      udev_device_unref(device);
    }
    return changed;
  }

 private:
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
};

class MonitorThread {
 public:
  explicit MonitorThread(std::function<void()> notify)
      : notify_(std::move(notify)), folders_(watchedPortsFolders()), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    thread_ = std::thread([this] { run(); });
  }
  ~MonitorThread() {
    stopping_ = true;
    wake();
    thread_.join();
    if (wakeFd_ >= 0) close(wakeFd_);
  }
  MonitorThread(const MonitorThread&) = delete;
  MonitorThread& operator=(const MonitorThread&) = delete;

  void announceChange() {
    announced_ = true;
    wake();
  }

 private:
  void wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = write(wakeFd_, &one, sizeof one);
  }

  // Reads the wake-up counter; true when a change was announced.
  bool readWakeups() {
    uint64_t count;
    [[maybe_unused]] ssize_t ignored = read(wakeFd_, &count, sizeof count);
    return announced_.exchange(false);
  }

  void run() {
    std::optional<Clock::time_point> firstChange;
    std::optional<Clock::time_point> lastChange;
    while (!stopping_) {
      int timeout = -1;
      if (lastChange) {
        const Clock::time_point due = std::min(*lastChange + kQuietTime, *firstChange + kLongestDelay);
        timeout = static_cast<int>(std::max<long long>(0, std::chrono::ceil<milliseconds>(due - Clock::now()).count()));
      }
      pollfd watched[3] = {{wakeFd_, POLLIN, 0}, {udev_.fd(), POLLIN, 0}, {folders_.fd(), POLLIN, 0}};
      if (poll(watched, 3, timeout) < 0 && errno != EINTR) return;
      if (stopping_) return;

      bool changed = false;
      if (watched[0].revents & POLLIN) changed |= readWakeups();
      if (watched[1].revents & POLLIN) changed |= udev_.readEvents();
      if (watched[2].revents & POLLIN) changed |= folders_.readEvents();

      const Clock::time_point now = Clock::now();
      if (changed) {
        if (!firstChange) firstChange = now;
        lastChange = now;
      }
      if (lastChange && (now >= *lastChange + kQuietTime || now >= *firstChange + kLongestDelay)) {
        firstChange.reset();
        lastChange.reset();
        notify_();
      }
    }
  }

  std::function<void()> notify_;
  UdevTtyMonitor udev_;
  PortsFolderWatch folders_;
  int wakeFd_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> announced_{false};
  std::thread thread_;
};

// The listeners, and the monitor thread while there is one.
class DeviceMonitor {
 public:
  DWORD subscribe(DeviceChangeListener listener, void* context) {
    std::lock_guard<std::mutex> guard(mutex_);
    const DWORD subscription = ++lastSubscription_;
    listeners_[subscription] = {listener, context};
    if (!thread_) thread_ = std::make_unique<MonitorThread>([this] { notifyListeners(); });
    return subscription;
  }

  void unsubscribe(DWORD subscription) {
    std::unique_ptr<MonitorThread> ending;
    {
      // Held while listeners run, so none of them runs once this returns.
      std::lock_guard<std::mutex> guard(mutex_);
      listeners_.erase(subscription);
      if (listeners_.empty()) ending = std::move(thread_);
    }
    // Stopped outside the lock: the thread may be waiting for it.
    ending.reset();
  }

  void announceChange() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (thread_) thread_->announceChange();
  }

 private:
  void notifyListeners() {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& [subscription, listener] : listeners_) listener.first(listener.second);
  }

  std::mutex mutex_;
  DWORD lastSubscription_ = 0;
  std::map<DWORD, std::pair<DeviceChangeListener, void*>> listeners_;
  std::unique_ptr<MonitorThread> thread_;
};

// Made on first use, so that it ends before the objects its listeners use,
// which were made before it.
DeviceMonitor& deviceMonitor() {
  static DeviceMonitor monitor;
  return monitor;
}

}  // namespace
}  // namespace platform

DWORD SubscribeDeviceChanges(DeviceChangeListener listener, void* context) {
  return platform::deviceMonitor().subscribe(listener, context);
}

void UnsubscribeDeviceChanges(DWORD subscription) { platform::deviceMonitor().unsubscribe(subscription); }

void platform::announceDeviceChange() { platform::deviceMonitor().announceChange(); }
