#include "support/timespan.h"

#include <limits>

#include "support/exception.h"
#include "support/string_table.h"

namespace TAVQ {

namespace {
[[noreturn]] void ThrowOverflow() { throw OverflowException(LoadResourceString(IDS_TIMESPAN_OVERFLOW)); }
}  // namespace

TimeSpan TimeSpan::operator+(TimeSpan other) const {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(ticks_, other.ticks_, &sum)) ThrowOverflow();
  return TimeSpan(sum);
}

TimeSpan TimeSpan::operator-(TimeSpan other) const {
  std::int64_t difference = 0;
  if (__builtin_sub_overflow(ticks_, other.ticks_, &difference)) ThrowOverflow();
  return TimeSpan(difference);
}

TimeSpan TimeSpan::operator-() const {
  // The most negative span has no positive counterpart.
  constexpr std::uint16_t kNegateMinimum = 0x5014;
  if (ticks_ == std::numeric_limits<std::int64_t>::min()) throw OverflowException(LoadResourceString(kNegateMinimum));
  return TimeSpan(-ticks_);
}

}  // namespace TAVQ
