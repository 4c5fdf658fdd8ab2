// The engine's source of time: a millisecond tick count that only goes forward.
// Every time-out, timer, watchdog and rate display reads it through this
// interface, so tests drive time with a fake instead of sleeping.
// Thread rule: ticks() may be called from any thread.
#pragma once

#include <chrono>
#include <cstdint>

namespace ferrix::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t ticks() = 0;
};

class SystemClock final : public Clock {
 public:
  std::uint64_t ticks() override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

}  // namespace ferrix::platform
