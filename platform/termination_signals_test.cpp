#include "platform/termination_signals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>

namespace ferrix::platform {
namespace {

// Each signal reaches the owner once, with its number, and the program
// lives on to end in order.
TEST(TerminationSignals, EachSignalIsHandedToTheOwner) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    std::promise<int> handled;
    TerminationSignals signals([&](int number) { handled.set_value(number); });
    EXPECT_EQ(signals.received(), 0);
    ASSERT_EQ(std::raise(signal), 0);
    std::future<int> number = handled.get_future();
    ASSERT_EQ(number.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(number.get(), signal);
    EXPECT_EQ(signals.received(), signal);
    EXPECT_EQ(TerminationSignals::exitStatusFor(signal), 128 + signal);
  }
}

}  // namespace
}  // namespace ferrix::platform
