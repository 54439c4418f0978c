#include "esp_log_feed.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

const char* const kBanner[] = {
    "ets Jun  8 2016 00:22:57\r\n", "rst:0x1 (POWERON_RESET),boot:0x13 (SPI_FAST_FLASH_BOOT)\r\n",
    "configsip: 0, SPIWP:0xee\r\n", "clk_drv:0x00,q_drv:0x00,d_drv:0x00,cs0_drv:0x00,hd_drv:0x00,wp_drv:0x00\r\n",
    "mode:DIO, clock div:2\r\n",    "load:0x3fff0030,len:7084\r\n",
    "entry 0x400805f0\r\n",
};
constexpr uint64_t kBannerLines = std::size(kBanner);

const char* const kTags[] = {"boot", "wifi", "sensor", "mqtt_client", "app_main"};

// The message of log line k (k counts from the end of the banner).
std::string MessageOf(uint64_t line) {
  const auto k = static_cast<unsigned long long>(line);
  const unsigned long long n = k;
  char text[160];
  switch (k % 5) {
    case 0:
      std::snprintf(text, sizeof text, "line %llu: heap free %llu bytes, largest block 110592", n, 214312 - k % 997);
      break;
    case 1:
      std::snprintf(text, sizeof text, "line %llu: 已连接到 AP，信号强度 -%llu dBm", n, 40 + k % 50);
      break;
    case 2:
      std::snprintf(text, sizeof text, "line %llu: 温度 23.%llu℃ 湿度 4%llu%%", n, k % 10, k % 7);
      break;
    case 3:
      std::snprintf(text, sizeof text, "line %llu: publish topic=/dev/esp32/state qos=1 msg_id=%llu", n, k % 65536);
      break;
    default:
      std::snprintf(text, sizeof text, "line %llu: sta ip: 192.168.4.%llu, mask: 255.255.255.0, gw: 192.168.4.1", n,
                    2 + k % 250);
      break;
  }
  return text;
}

}  // namespace

EspLogLine EspLogLineAt(uint64_t index) {
  if (index < kBannerLines) {
    std::string line = kBanner[index];
    return {line, line.substr(0, line.size() - 2) + "\n"};
  }
  const uint64_t k = index - kBannerLines;
  // Most lines are information, some warnings and errors, as a device
  // logs; ESP-IDF resets the colour before the line break.
  const char level = k % 16 == 15 ? 'E' : k % 16 >= 13 ? 'W' : 'I';
  const char* colour = level == 'E' ? "\x1b[0;31m" : level == 'W' ? "\x1b[0;33m" : "\x1b[0;32m";
  char head[64];
  std::snprintf(head, sizeof head, "%c (%llu) %s: ", level, static_cast<unsigned long long>(300 + k * 7),
                kTags[k % std::size(kTags)]);
  const std::string text = head + MessageOf(k);
  return {colour + text + "\x1b[0m\r\n", text + "\n"};
}

uint64_t Utf16Length(const std::string& Utf8) {
  uint64_t units = 0;
  for (const char c : Utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;  // a character's first byte
    if (byte >= 0xF0) ++units;           // outside the BMP: a surrogate pair
  }
  return units;
}

void EspLogFarEnd::MakeLines(size_t count) {
  while (waiting_.size() < count) {
    const EspLogLine line = EspLogLineAt(madeLines_++);
    waiting_ += line.bytes;
    unfinished_.push_back({written_ + waiting_.size(), Utf16Length(line.shown)});
  }
}

size_t EspLogFarEnd::Write(size_t count) {
  size_t taken = 0;
  while (taken < count) {
    const size_t size = std::min<size_t>(4096, count - taken);
    MakeLines(size);
    const ssize_t written = ::write(Master(), waiting_.data(), size);
    if (written <= 0) break;  // the terminal is full: the program is not reading
    const auto took = static_cast<size_t>(written);
    // What the line does not take stays first in line for the next write.
    waiting_.erase(0, took);
    written_ += took;
    taken += took;
    while (!unfinished_.empty() && unfinished_.front().end <= written_) {
      shownUnits_ += unfinished_.front().shownUnits;
      lineEnd_ = unfinished_.front().end;
      ++completeLines_;
      unfinished_.pop_front();
    }
    if (took < size) break;
  }
  return taken;
}

void EspLogFarEnd::FinishLine() {
  if (unfinished_.empty() || written_ == lineEnd_) return;  // no line under way
  const uint64_t end = unfinished_.front().end;
  for (int wait = 0; written_ < end && wait < 10000; ++wait) {
    if (Write(end - written_) == 0) usleep(1000);
  }
}
