// LocalTimeZone from a POSIX TZ rule "std offset [dst [offset] [,start[/time],end[/time]]]",
// mapped onto the fields the platform's time-zone record holds.
#include <cctype>
#include <string>
#include <utility>

#include "support/exception.h"
#include "support/format.h"
#include "support/text.h"
#include "support/time_zone.h"

namespace TAVQ {

namespace {

constexpr int kSecondsPerDay = 86400;
// Rule times may run from -167 to 167 hours.
constexpr int kMaxRuleSeconds = 167 * 3600 + 59 * 60 + 59;
// Offsets stay within a day either way.
constexpr int kMaxOffsetSeconds = 24 * 3600 + 59 * 60 + 59;

struct Transition {
  bool weekdayRule = false;  // false for the Jn and n forms
  int month = 0;
  int week = 0;  // 1..5, 5 = last
  int weekday = 0;
  int seconds = 2 * 3600;  // 02:00:00 when the rule gives no time
};

class RuleParser {
 public:
  explicit RuleParser(const std::string& rule) : rule_(rule) {}

  LocalTimeZone Parse() {
    std::string standardName = Name();
    int standardOffset = Offset(kMaxOffsetSeconds);
    if (AtEnd()) return WithoutDaylight(standardName, standardOffset, u"");
    std::string daylightName = Name();
    int daylightOffset = standardOffset - 3600;
    if (!AtEnd() && Peek() != ',') daylightOffset = Offset(kMaxOffsetSeconds);
    Transition start{true, 3, 2, 0};
    Transition end{true, 11, 1, 0};
    // Without rules the daylight period is the customary one of the US.
    if (!AtEnd()) {
      Expect(',');
      start = Rule();
      Expect(',');
      end = Rule();
    }
    if (!AtEnd()) Fail();
    if (!start.weekdayRule || !end.weekdayRule) {
      return WithoutDaylight(standardName, standardOffset, FromNarrow(daylightName));
    }
    // A "daylight" time behind standard time (negative DST) is held the other way
    // round, as the platform holds such zones: the later offset as standard time.
    if (daylightOffset > standardOffset) {
      std::swap(standardName, daylightName);
      std::swap(standardOffset, daylightOffset);
      std::swap(start, end);
    }
    TimeZoneInformation information;
    information.Bias = standardOffset / 60;
    information.StandardName = FromNarrow(standardName);
    information.StandardDate = ToSystemTime(end);
    information.DaylightName = FromNarrow(daylightName);
    information.DaylightDate = ToSystemTime(start);
    information.DaylightBias = (daylightOffset - standardOffset) / 60;
    const TimeZoneId id = information.DaylightBias == 0 ? TimeZoneId::Unknown : TimeZoneId::Standard;
    return LocalTimeZone(id, std::move(information));
  }

 private:
  static LocalTimeZone WithoutDaylight(const std::string& standardName, int standardOffset, WString daylightName) {
    TimeZoneInformation information;
    information.Bias = standardOffset / 60;
    information.StandardName = FromNarrow(standardName);
    information.DaylightName = std::move(daylightName);
    return LocalTimeZone(TimeZoneId::Unknown, std::move(information));
  }

  // A weekday rule whose time lies outside one day is moved by whole days onto
  // another weekday: exact except when that crosses the month's first or last
  // occurrence of the weekday.
  static SystemTime ToSystemTime(const Transition& t) {
    int days = t.seconds / kSecondsPerDay;
    int seconds = t.seconds % kSecondsPerDay;
    if (seconds < 0) {
      seconds += kSecondsPerDay;
      --days;
    }
    SystemTime rule;
    rule.wMonth = static_cast<std::uint16_t>(t.month);
    rule.wDay = static_cast<std::uint16_t>(t.week);
    rule.wDayOfWeek = static_cast<std::uint16_t>(((t.weekday + days) % 7 + 7) % 7);
    rule.wHour = static_cast<std::uint16_t>(seconds / 3600);
    rule.wMinute = static_cast<std::uint16_t>(seconds / 60 % 60);
    rule.wSecond = static_cast<std::uint16_t>(seconds % 60);
    return rule;
  }

  bool AtEnd() const { return pos_ == rule_.size(); }
  char Peek() const { return AtEnd() ? '\0' : rule_[pos_]; }
  void Expect(char c) {
    if (Peek() != c) Fail();
    ++pos_;
  }
  bool Accept(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  [[noreturn]] void Fail() const {
    throw ArgumentException(FormatString(u"Invalid time zone rule \"%hs\"", rule_.c_str()));
  }

  // Three or more letters, or <...> of letters, digits, '+' and '-'.
  std::string Name() {
    std::string name;
    if (Accept('<')) {
      while (!AtEnd() && (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '+' || Peek() == '-')) {
        name.push_back(rule_[pos_++]);
      }
      Expect('>');
    } else {
      while (!AtEnd() && std::isalpha(static_cast<unsigned char>(Peek()))) name.push_back(rule_[pos_++]);
    }
    if (name.size() < 3) Fail();
    return name;
  }

  int Number(int max) {
    if (!std::isdigit(static_cast<unsigned char>(Peek()))) Fail();
    int value = 0;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) {
      value = value * 10 + (rule_[pos_++] - '0');
      if (value > max) Fail();
    }
    return value;
  }

  // [+|-]hh[:mm[:ss]] in seconds.
  int Offset(int maxSeconds) {
    const int sign = Accept('-') ? -1 : (Accept('+'), 1);
    int seconds = Number(maxSeconds / 3600) * 3600;
    if (Accept(':')) {
      seconds += Number(59) * 60;
      if (Accept(':')) seconds += Number(59);
    }
    if (seconds > maxSeconds) Fail();
    return sign * seconds;
  }

  Transition Rule() {
    Transition t;
    if (Accept('M')) {
      t.weekdayRule = true;
      t.month = Number(12);
      Expect('.');
      t.week = Number(5);
      Expect('.');
      t.weekday = Number(6);
      if (t.month < 1 || t.week < 1) Fail();
    } else if (Accept('J')) {
      if (Number(365) < 1) Fail();
    } else {
      Number(365);
    }
    if (Accept('/')) t.seconds = Offset(kMaxRuleSeconds);
    return t;
  }

  const std::string& rule_;
  std::size_t pos_ = 0;
};

}  // namespace

LocalTimeZone LocalTimeZone::FromPosixRule(const std::string& rule) { return RuleParser(rule).Parse(); }

}  // namespace TAVQ
