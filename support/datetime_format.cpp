// DateTime::Format: the conversions of the C runtime's wcsftime under the C locale,
// done here so that every platform gives the same text and no conversion reads the
// process locale or time zone.
#include "support/datetime.h"

#include <cstdio>

namespace TAVQ {

namespace {

// wcsftime's buffer: 256 characters including the terminator.
constexpr std::size_t kMaxLength = 255;

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

struct Fields {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
  int weekday;    // 0 = Sunday
  int dayOfYear;  // 0-based
};

void Append(WString& out, const char* text, std::size_t length = WString::npos) {
  for (std::size_t i = 0; text[i] != '\0' && i < length; ++i) out.push_back(static_cast<char16_t>(text[i]));
}

void AppendNumber(WString& out, int value, int width) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*d", width, value);
  Append(out, digits);
}

// "aa/bb/cc" or "aa:bb:cc", two digits each.
void AppendTriple(WString& out, int a, int b, int c, char16_t separator) {
  AppendNumber(out, a, 2);
  out.push_back(separator);
  AppendNumber(out, b, 2);
  out.push_back(separator);
  AppendNumber(out, c, 2);
}

// Week number with weeks starting on firstWeekday, as %U (Sunday) and %W (Monday).
int WeekOfYear(const Fields& f, int firstWeekday) {
  const int daysSinceWeekStart = (f.weekday - firstWeekday + 7) % 7;
  return (f.dayOfYear + 7 - daysSinceWeekStart) / 7;
}

// Appends one conversion; false for a conversion the C runtime does not know.
bool AppendConversion(WString& out, char16_t conversion, const Fields& f) {
  switch (conversion) {
    case u'a': Append(out, kDayNames[f.weekday], 3); return true;
    case u'A': Append(out, kDayNames[f.weekday]); return true;
    case u'b': Append(out, kMonthNames[f.month - 1], 3); return true;
    case u'B': Append(out, kMonthNames[f.month - 1]); return true;
    case u'c':
      AppendConversion(out, u'x', f);
      out.push_back(u' ');
      return AppendConversion(out, u'X', f);
    case u'd': AppendNumber(out, f.day, 2); return true;
    case u'H': AppendNumber(out, f.hour, 2); return true;
    case u'I': AppendNumber(out, f.hour % 12 == 0 ? 12 : f.hour % 12, 2); return true;
    case u'j': AppendNumber(out, f.dayOfYear + 1, 3); return true;
    case u'm': AppendNumber(out, f.month, 2); return true;
    case u'M': AppendNumber(out, f.minute, 2); return true;
    case u'p': Append(out, f.hour < 12 ? "AM" : "PM"); return true;
    case u'S': AppendNumber(out, f.second, 2); return true;
    case u'U': AppendNumber(out, WeekOfYear(f, 0), 2); return true;
    case u'w': AppendNumber(out, f.weekday, 1); return true;
    case u'W': AppendNumber(out, WeekOfYear(f, 1), 2); return true;
    case u'x': AppendTriple(out, f.month, f.day, f.year % 100, u'/'); return true;
    case u'X': AppendTriple(out, f.hour, f.minute, f.second, u':'); return true;
    case u'y': AppendNumber(out, f.year % 100, 2); return true;
    case u'Y': AppendNumber(out, f.year, 1); return true;
    // The record carries no time zone.
    case u'z':
    case u'Z': return true;
    case u'%': out.push_back(u'%'); return true;
    default: return false;
  }
}

}  // namespace

WString DateTime::Format(const WString& format) const {
  const Fields fields{Year(), Month(), Day(), Hour(), Minute(), Second(), static_cast<int>(DayOfWeek()),
                      DayOfYear() - 1};
  WString out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != u'%') {
      out.push_back(format[i]);
    } else if (i + 1 == format.size() || !AppendConversion(out, format[++i], fields)) {
      // The C runtime rejects the whole format, as it does for an overlong result.
      return WString();
    }
    if (out.size() > kMaxLength) return WString();
  }
  return out;
}

}  // namespace TAVQ
