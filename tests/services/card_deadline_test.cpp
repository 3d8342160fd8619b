// The deadline of the front ends: a work that ends in time gives its result, one that
// does not is abandoned and the caller goes on; time paused for the user is not counted.
#include "services/card_deadline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;
using TAVQ::CardDeadline;

// A card call that does not return until the test lets it.
class Gate {
 public:
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

TEST(CardDeadlineTest, WorkThatEndsInTimeGivesItsResultFromAnotherThread) {
  const std::thread::id caller = std::this_thread::get_id();
  const auto result = CardDeadline(5s).Run<bool>([caller] { return std::this_thread::get_id() != caller; });
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(*result);
}

TEST(CardDeadlineTest, WorkPastTheLimitIsAbandonedAndCountedAndMayEndLater) {
  auto gate = std::make_shared<Gate>();
  const std::size_t abandonedBefore = CardDeadline::Abandoned();
  const auto start = std::chrono::steady_clock::now();
  const auto result = CardDeadline(200ms).Run<int>([gate] {
    gate->Wait();
    return 1;
  });
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(result.has_value());
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 5s) << "the caller waited for the blocked work";
  EXPECT_EQ(CardDeadline::Abandoned(), abandonedBefore + 1);
  gate->Open();  // the abandoned work ends by itself; its result goes nowhere
}

TEST(CardDeadlineTest, ExceptionsOfTheWorkReachTheCaller) {
  EXPECT_THROW(CardDeadline(5s).Run<int>([]() -> int { throw std::runtime_error("card"); }), std::runtime_error);
}

TEST(CardDeadlineTest, ZeroMeansNoLimitAndRunsOnTheCallersThread) {
  const std::thread::id caller = std::this_thread::get_id();
  const auto result = CardDeadline(0ms).Run<bool>([caller] { return std::this_thread::get_id() == caller; });
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(*result);
}

TEST(CardDeadlineTest, TimePausedForTheUserDoesNotCount) {
  // 600 ms of work under a 300 ms limit, of which 450 ms are paused.
  const auto result = CardDeadline(300ms).Run<int>([] {
    {
      const CardDeadline::Pause asking;
      std::this_thread::sleep_for(450ms);
    }
    std::this_thread::sleep_for(150ms);
    return 7;
  });
  EXPECT_EQ(result, 7);
}

TEST(CardDeadlineTest, PauseOutsideAWorkChangesNothing) {
  const CardDeadline::Pause nothing;
  auto gate = std::make_shared<Gate>();
  EXPECT_FALSE(CardDeadline(100ms).Run<int>([gate] {
    gate->Wait();
    return 1;
  }));
  gate->Open();
}

TEST(CardDeadlineTest, MessageNamesTheLimitInSeconds) {
  EXPECT_EQ(CardDeadline::Seconds(30).Message(), "The card did not answer within 30 seconds");
  EXPECT_EQ(CardDeadline::Seconds(1).Message(), "The card did not answer within 1 seconds");
}

}  // namespace
