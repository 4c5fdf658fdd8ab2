// A clock that moves only when a test says so.
// Thread rule: safe to read from any thread while the test advances it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/clock.h"

namespace ferrix::testing {

class FakeClock final : public platform::Clock {
 public:
  explicit FakeClock(std::uint64_t start = 1'000'000) : now_(start) {}
  std::uint64_t ticks() override { return now_.load(); }
  void advance(std::uint64_t milliseconds) { now_ += milliseconds; }

 private:
  std::atomic<std::uint64_t> now_;
};

}  // namespace ferrix::testing
