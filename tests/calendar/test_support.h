// Small helpers shared by the calendar tests.
#pragma once

#include <cstdint>

#include "calendar/calendar.h"
#include "calendar/date.h"

namespace calendar_test {

// Serial of the 1900 date system by a civil-date conversion independent of
// QA::Date (days from civil), counting the 29 February 1900 that never was.
inline std::uint32_t serialOf(int y, int m, int d) {
  if (y == 1900 && m == 2 && d == 29) return 60;
  y -= m <= 2;
  const int era = y / 400, yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long days = era * 146097L + yoe * 365 + yoe / 4 - yoe / 100 + doy - 693899L;
  return static_cast<std::uint32_t>(days < 61 ? days - 1 : days);
}

inline QA::Date ymd(int y, int m, int d) { return QA::Date(serialOf(y, m, d)); }
inline QA::Date ymdOf(int yyyymmdd) { return ymd(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100); }

// A calendar whose added and removed holidays the test can fill.
template <class C>
struct Edited : C {
  using QA::Calendar::addedHolidays;
  using QA::Calendar::removedHolidays;
};

}  // namespace calendar_test
