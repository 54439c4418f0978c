// Waiting for something another thread or the far end brings about.
#pragma once

#include <chrono>
#include <functional>

namespace serial_lines {

// Waits until condition() holds, checking every few milliseconds; false
// when it still does not after the (generous) time-out.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace serial_lines
