#include "services/card_deadline.h"

namespace TAVQ {

namespace {

std::atomic<std::size_t> abandoned{0};

// How often a paused clock is looked at again.
constexpr std::chrono::milliseconds kPausedStep{100};

}  // namespace

namespace {
thread_local void* clockOfThread = nullptr;
}  // namespace

CardDeadline::ClockOfThread::ClockOfThread(Clock* clock) { clockOfThread = clock; }

CardDeadline::ClockOfThread::~ClockOfThread() { clockOfThread = nullptr; }

CardDeadline::Pause::Pause() : start_(std::chrono::steady_clock::now()) {
  if (clockOfThread != nullptr) ++static_cast<Clock*>(clockOfThread)->pauses;
}

CardDeadline::Pause::~Pause() {
  if (clockOfThread == nullptr) return;
  auto* clock = static_cast<Clock*>(clockOfThread);
  clock->paused += (std::chrono::steady_clock::now() - start_).count();
  --clock->pauses;
}

std::chrono::steady_clock::duration CardDeadline::Remaining(std::chrono::steady_clock::time_point start,
                                                            const Clock& clock) const {
  if (clock.pauses.load() > 0) return kPausedStep;
  const auto used = std::chrono::steady_clock::now() - start -
                    std::chrono::steady_clock::duration(clock.paused.load());
  return limit_ - used;
}

std::string CardDeadline::Message() const {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit_).count();
  return "The card did not answer within " + std::to_string(seconds) + " seconds";
}

std::size_t CardDeadline::Abandoned() { return abandoned.load(); }

void CardDeadline::NoteAbandoned() { ++abandoned; }

}  // namespace TAVQ
