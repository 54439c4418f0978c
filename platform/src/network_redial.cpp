#include "network_redial.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "machine_sources.h"
#include "network_connector.h"
#include "serial_device_map.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class Redialer {
 public:
  Redialer() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~Redialer() {
    stop();
    if (wakeFd_ >= 0) ::close(wakeFd_);
  }
  Redialer(const Redialer&) = delete;
  Redialer& operator=(const Redialer&) = delete;

  void add(DWORD number, const NetworkAddress& address, DWORD cause) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (wakeFd_ < 0) return;
    removeLocked(number);
    auto entry = std::make_unique<Entry>();
    entry->number = number;
    entry->address = address;
    entry->cause = cause;
    entry->nextTry = Clock::now();
    entries_.push_back(std::move(entry));
    if (!running_) {
      if (thread_.joinable()) thread_.join();  // one that ended with nothing left
      running_ = true;
      thread_ = std::thread([this] { run(); });
    }
    wake();
  }

  Redial take(DWORD number, const NetworkAddress& address, int* socket, DWORD* cause) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e->number == number; });
    if (found == entries_.end()) return Redial::None;
    if (!((*found)->address == address)) {
      // The number names another server now.
      removeLocked(number);
      return Redial::None;
    }
    Entry& entry = **found;
    if (entry.socket < 0) {
      *cause = entry.cause;
      return Redial::Waiting;
    }
    *socket = entry.socket;
    entry.socket = -1;
    removeLocked(number);
    return Redial::Connected;
  }

  void stop() {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      stopping_ = true;
      wake();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> guard(mutex_);
    while (!entries_.empty()) removeLocked(entries_.front()->number);
    stopping_ = false;
    running_ = false;
  }

 private:
  struct Entry {
    DWORD number = 0;
    NetworkAddress address;
    DWORD cause = 0;
    std::unique_ptr<NetworkConnector> connector;
    Clock::time_point nextTry{};
    int socket = -1;
    Clock::time_point connectedAt{};
    ~Entry() {
      if (socket >= 0) ::close(socket);
    }
  };

  void wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
  }

  void removeLocked(DWORD number) {
    std::erase_if(entries_, [&](const auto& e) { return e->number == number; });
  }

  // Whether COM<number> still names this server: a link removed or changed
  // meanwhile ends the redial.
  static bool stillNamed(DWORD number, const NetworkAddress& address) {
    const SerialDeviceMap map = currentSerialDeviceMap();
    return std::any_of(map.begin(), map.end(), [&](const SerialMapEntry& entry) {
      return entry.number == number && entry.devicePath == address.text();
    });
  }

  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      Clock::time_point now = Clock::now();
      std::vector<pollfd> watched{{wakeFd_, POLLIN, 0}};
      std::optional<Clock::time_point> next;
      auto consider = [&](Clock::time_point when) { next = next ? std::min(*next, when) : when; };
      for (auto& entry : entries_) {
        if (!entry->connector && entry->socket < 0 && now >= entry->nextTry)
          entry->connector = std::make_unique<NetworkConnector>(entry->address, wakeFd_);
        if (entry->connector) {
          if (entry->connector->descriptor() >= 0) watched.push_back({entry->connector->descriptor(), POLLOUT, 0});
          consider(entry->connector->deadline());
        } else if (entry->socket >= 0) {
          consider(entry->connectedAt + kRedialedConnectionLife);
        } else {
          consider(entry->nextTry);
        }
      }
      if (entries_.empty()) break;
      int timeout = -1;
      if (next)
        timeout = static_cast<int>(std::max<long long>(0, std::chrono::ceil<milliseconds>(*next - now).count()));
      lock.unlock();
      ::poll(watched.data(), watched.size(), timeout);
      lock.lock();
      uint64_t count;
      [[maybe_unused]] ssize_t ignored = ::read(wakeFd_, &count, sizeof count);

      now = Clock::now();
      std::vector<std::pair<DWORD, NetworkAddress>> reached;
      for (auto& entry : entries_) {
        if (!entry->connector) continue;
        const NetworkConnector::State state = entry->connector->advance();
        if (state == NetworkConnector::State::Connected) {
          entry->socket = entry->connector->takeSocket();
          entry->connectedAt = now;
          entry->connector.reset();
          reached.emplace_back(entry->number, entry->address);
        } else if (state == NetworkConnector::State::Failed) {
          entry->cause = entry->connector->error();
          entry->connector.reset();
          entry->nextTry = now + kRedialInterval;
        }
      }
      std::erase_if(entries_,
                    [&](const auto& e) { return e->socket >= 0 && now >= e->connectedAt + kRedialedConnectionLife; });
      if (reached.empty()) continue;
      lock.unlock();
      bool announce = false;
      for (const auto& [number, address] : reached) {
        if (stillNamed(number, address)) {
          announce = true;
        } else {
          std::lock_guard<std::mutex> guard(mutex_);
          removeLocked(number);
        }
      }
      if (announce) announceDeviceChange();
      lock.lock();
    }
    running_ = false;
  }

  std::mutex mutex_;
  int wakeFd_;
  std::vector<std::unique_ptr<Entry>> entries_;
  std::thread thread_;
  bool running_ = false;
  bool stopping_ = false;
};

Redialer& redialer() {
  static Redialer instance;
  return instance;
}

}  // namespace

void redialLostServer(DWORD number, const NetworkAddress& address, DWORD cause) {
  redialer().add(number, address, cause);
}

Redial takeRedialedConnection(DWORD number, const NetworkAddress& address, int* socket, DWORD* cause) {
  return redialer().take(number, address, socket, cause);
}

void forgetRedials() { redialer().stop(); }

}  // namespace platform
