// The deadline of the front ends: a work that ends in time gives its result, one that
// does not is abandoned and the caller goes on; time paused for the user is not counted.
#include "services/card_deadline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;
using TAVQ::CardDeadline;

// Runs on the caller's thread exactly when the limit is zero.
TEST(CardDeadlineTest, WorkInTimeGivesItsResultAndExceptionsReachTheCaller) {
  for (auto limit : {0ms, 5000ms}) {
    const std::thread::id caller = std::this_thread::get_id();
    EXPECT_EQ(CardDeadline(limit).Run<bool>([caller] { return std::this_thread::get_id() == caller; }), limit == 0ms);
    EXPECT_THROW(CardDeadline(limit).Run<int>([]() -> int { throw std::runtime_error("card"); }), std::runtime_error);
  }
  EXPECT_EQ(CardDeadline::Seconds(30).Message(), "The card did not answer within 30 seconds");
}

// A Pause on the caller's thread is no pause of the work's clock; one in the work is.
TEST(CardDeadlineTest, WorkPastTheLimitIsAbandonedAndTimePausedForTheUserDoesNotCount) {
  const std::size_t abandonedBefore = CardDeadline::Abandoned();
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  const auto start = std::chrono::steady_clock::now();
  {
    const CardDeadline::Pause notTheWorks;
    EXPECT_FALSE(CardDeadline(200ms).Run<int>([released] { return released.wait(), 1; }));
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 5s) << "the caller waited for the blocked work";
  EXPECT_EQ(CardDeadline::Abandoned(), abandonedBefore + 1);
  release.set_value();  // the abandoned work ends by itself; its result goes nowhere

  // 600 ms of work under a 300 ms limit, of which 450 ms are paused.
  EXPECT_EQ(CardDeadline(300ms).Run<int>([] {
    {
      const CardDeadline::Pause asking;
      std::this_thread::sleep_for(450ms);
    }
    std::this_thread::sleep_for(150ms);
    return 7;
  }), 7);
}

}  // namespace
