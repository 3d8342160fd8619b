// A time limit on work that talks to a card, for the front ends (kavrin-hc, and any
// other long-lived caller of the services). A PC/SC call to a card or reader that stops
// answering does not return, and nothing can interrupt it: so the work runs on a thread
// of its own and the caller stops waiting when the time is up. The abandoned thread
// stays blocked until the card or its reader goes away, then ends by itself.
//
// The work must therefore own everything it touches (capture by value) and hand over
// its whole result at once: a result that comes too late is dropped whole, never shown
// in part. Objects of the services are used by the thread that made them, so the work
// makes its own.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "support/hresult.h"

namespace TAVQ {

class CardDeadline {
 public:
  // A limit of zero means no limit: the work runs on the caller's thread.
  explicit CardDeadline(std::chrono::milliseconds limit) : limit_(limit) {}
  static CardDeadline Seconds(unsigned seconds) { return CardDeadline(std::chrono::seconds(seconds)); }

  // The work's result, or nothing when the time ran out first. An exception of the
  // work reaches the caller as it is.
  template <class Result>
  std::optional<Result> Run(std::function<Result()> work) const {
    if (limit_.count() == 0) return work();
    auto clock = std::make_shared<Clock>();
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> result = promise->get_future();
    std::thread worker([clock, promise, work = std::move(work)]() mutable {
      const ClockOfThread running(clock.get());
      try {
        promise->set_value(work());
      } catch (...) {
        promise->set_exception(std::current_exception());
      }
    });
    if (!WaitFor(result, *clock)) {
      worker.detach();
      NoteAbandoned();
      return std::nullopt;
    }
    worker.join();
    return result.get();
  }

  // While one lives on the thread of a work, that work's clock stands still: waiting
  // for the user (a question on the terminal) is no card's silence. Does nothing on
  // any other thread.
  class Pause {
   public:
    Pause();
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    std::chrono::steady_clock::time_point start_;
  };

  // "The card did not answer within N seconds", UTF-8.
  std::string Message() const;
  // HRESULT_FROM_WIN32(ERROR_TIMEOUT).
  static constexpr HRESULT kStatus = static_cast<HRESULT>(0x800705B4u);

  // How many works of this process were left running past their limit. A process that
  // ends with one still blocked must end without running static destructors (they
  // would pull the PC/SC state from under the blocked call): std::_Exit after flushing.
  static std::size_t Abandoned();

 private:
  // The time a work has been paused, and whether it is paused now.
  struct Clock {
    std::atomic<std::chrono::steady_clock::rep> paused{0};
    std::atomic<int> pauses{0};
  };
  // Makes the clock the calling thread's for its lifetime (what Pause finds).
  class ClockOfThread {
   public:
    explicit ClockOfThread(Clock* clock);
    ~ClockOfThread();
  };

  template <class Result>
  bool WaitFor(std::future<Result>& result, const Clock& clock) const {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
      const auto remaining = Remaining(start, clock);
      if (remaining.count() <= 0) return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
      if (result.wait_for(remaining) == std::future_status::ready) return true;
    }
  }
  // Time left before the limit, never less than a short step while paused.
  std::chrono::steady_clock::duration Remaining(std::chrono::steady_clock::time_point start,
                                                const Clock& clock) const;
  static void NoteAbandoned();

  std::chrono::milliseconds limit_;
};

}  // namespace TAVQ
