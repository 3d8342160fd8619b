# Date and time values, the platform's calendar forms and the local time zone.
list(APPEND KAVRIN_SUPPORT_SOURCES
  datetime.cpp
  datetime_calendar.cpp
  datetime_conversions.cpp
  datetime_format.cpp
  system_time.cpp
  timespan.cpp
  time_zone.cpp
  time_zone_posix_rule.cpp
)
if(WIN32)
  list(APPEND KAVRIN_SUPPORT_SOURCES time_zone_win.cpp)
else()
  list(APPEND KAVRIN_SUPPORT_SOURCES time_zone_posix.cpp time_zone_tzif.cpp)
endif()
