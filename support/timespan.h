// A signed duration in 100-nanosecond ticks.
#pragma once

#include <cstdint>

namespace TAVQ {

class TimeSpan {
 public:
  static constexpr std::int64_t TicksPerMillisecond = 10000;
  static constexpr std::int64_t TicksPerSecond = 10000000;
  static constexpr std::int64_t TicksPerMinute = 600000000;
  static constexpr std::int64_t TicksPerHour = 36000000000;
  static constexpr std::int64_t TicksPerDay = 864000000000;

  constexpr TimeSpan() = default;
  constexpr explicit TimeSpan(std::int64_t ticks) : ticks_(ticks) {}

  static constexpr TimeSpan FromMinutes(std::int32_t minutes) {
    return TimeSpan(std::int64_t{minutes} * TicksPerMinute);
  }
  static constexpr TimeSpan FromHours(std::int32_t hours) { return TimeSpan(std::int64_t{hours} * TicksPerHour); }

  constexpr std::int64_t Ticks() const { return ticks_; }
  constexpr bool IsZero() const { return ticks_ == 0; }

  // A sum beyond 64 bits raises OverflowException (string 0x5013).
  TimeSpan operator+(TimeSpan other) const;
  // A difference beyond 64 bits raises OverflowException (string 0x5013).
  TimeSpan operator-(TimeSpan other) const;
  // Negating the most negative span raises OverflowException.
  TimeSpan operator-() const;

  friend constexpr bool operator==(TimeSpan a, TimeSpan b) { return a.ticks_ == b.ticks_; }
  friend constexpr bool operator!=(TimeSpan a, TimeSpan b) { return a.ticks_ != b.ticks_; }
  friend constexpr bool operator<(TimeSpan a, TimeSpan b) { return a.ticks_ < b.ticks_; }
  friend constexpr bool operator>(TimeSpan a, TimeSpan b) { return a.ticks_ > b.ticks_; }
  friend constexpr bool operator<=(TimeSpan a, TimeSpan b) { return a.ticks_ <= b.ticks_; }
  friend constexpr bool operator>=(TimeSpan a, TimeSpan b) { return a.ticks_ >= b.ticks_; }

 private:
  std::int64_t ticks_ = 0;
};

}  // namespace TAVQ
