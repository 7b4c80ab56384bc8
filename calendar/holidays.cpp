// Holiday rules of the seven calendars, each one predicate in the order of its holiday list.
// Weekends are applied separately (all calendars but NullCalendar); no holiday moves
// unless a rule says so.
#include "calendar/calendars.h"
#include "calendar/rules.h"

namespace QA {

namespace {

using detail::Day;
using detail::HolidayRules;

bool isSwissHoliday(const Day& d) {
  return (d.m == 1 && d.dom == 1)     // New Year's Day
      || (d.m == 1 && d.dom == 2)     // 2 January
      || d.doy == d.em - 3            // Good Friday
      || d.doy == d.em                // Easter Monday
      || d.doy == d.em + 38           // Ascension Thursday
      || d.doy == d.em + 49           // Whit Monday
      || (d.m == 5 && d.dom == 1)     // Labour Day
      || (d.m == 8 && d.dom == 1)     // National Day
      || (d.m == 12 && d.dom == 25)   // Christmas
      || (d.m == 12 && d.dom == 26);  // St Stephen's Day
}

bool isLondonHoliday(const Day& d) {
  return (d.m == 1 && d.dom == 1)                                                // New Year's Day
      || (d.m == 1 && (d.dom == 2 || d.dom == 3) && d.w == Monday)               // ... on Monday
      || d.doy == d.em - 3                                                       // Good Friday
      || d.doy == d.em                                                           // Easter Monday
      || (d.m == 5 && d.dom <= 7 && d.w == Monday)                               // first Monday of May
      || (d.m == 5 && d.dom >= 25 && d.w == Monday && d.y != 2002)               // last Monday of May
      || (d.m == 8 && d.dom >= 25 && d.w == Monday)                              // last Monday of August
      || (d.m == 12 && d.dom == 25)                                              // Christmas
      || (d.m == 12 && d.dom == 26)                                              // Boxing Day
      || (d.m == 12 && (d.dom == 27 || d.dom == 28)
          && (d.w == Monday || d.w == Tuesday));                                  // ... moved off a weekend
}

// No Easter holiday: Good Friday is a business day.
bool isNyseHoliday(const Day& d) {
  return (d.m == 1 && d.dom == 1)                           // New Year's Day
      || (d.m == 1 && d.dom == 2 && d.w == Monday)          // ... on Monday
      || (d.m == 12 && d.dom == 31 && d.w == Friday)        // ... on Friday
      || (d.m == 1 && d.dom >= 15 && d.dom <= 21 && d.w == Monday)  // third Monday of January
      || (d.m == 2 && d.dom >= 15 && d.dom <= 21 && d.w == Monday)  // third Monday of February
      || (d.m == 5 && d.dom >= 25 && d.w == Monday)         // last Monday of May
      || (d.m == 7 && d.dom == 4)                           // Independence Day
      || (d.m == 7 && d.dom == 5 && d.w == Monday)          // ... on Monday
      || (d.m == 7 && d.dom == 3 && d.w == Friday)          // ... on Friday
      || (d.m == 9 && d.dom <= 7 && d.w == Monday)          // first Monday of September
      || (d.m == 11 && d.dom >= 22 && d.dom <= 28 && d.w == Thursday)  // fourth Thursday of November
      || (d.m == 12 && d.dom == 25)                         // Christmas
      || (d.m == 12 && d.dom == 26 && d.w == Monday)        // ... on Monday
      || (d.m == 12 && d.dom == 24 && d.w == Friday);       // ... on Friday
}

bool isSydneyHoliday(const Day& d) {
  return (d.m == 1 && d.dom == 1)                                           // New Year's Day, never moved
      || (d.m == 1 && d.dom == 26)                                          // Australia Day
      || (d.m == 1 && (d.dom == 27 || d.dom == 28) && d.w == Monday)        // ... on Monday
      || d.doy == d.em - 3                                                  // Good Friday
      || d.doy == d.em                                                      // Easter Monday
      || (d.m == 4 && d.dom == 25)                                          // ANZAC Day
      || (d.m == 4 && d.dom == 26 && d.w == Monday)                         // ... on Monday
      || (d.m == 6 && d.dom >= 8 && d.dom <= 14 && d.w == Monday)           // second Monday of June
      || (d.m == 8 && d.dom <= 7 && d.w == Monday)                          // first Monday of August
      || (d.m == 10 && d.dom <= 7 && d.w == Monday)                         // first Monday of October
      || (d.m == 12 && d.dom == 25)                                         // Christmas
      || (d.m == 12 && d.dom == 26)                                         // Boxing Day
      || (d.m == 12 && (d.dom == 27 || d.dom == 28)
          && (d.w == Monday || d.w == Tuesday));                                  // ... moved off a weekend
}

bool isTargetHoliday(const Day& d) {
  return (d.m == 1 && d.dom == 1)     // New Year's Day
      || d.doy == d.em - 3            // Good Friday
      || d.doy == d.em                // Easter Monday
      || (d.m == 5 && d.dom == 1)     // Labour Day
      || (d.m == 12 && d.dom == 25)   // Christmas
      || (d.m == 12 && d.dom == 26);  // Day of Goodwill
}

constexpr HolidayRules swissRules = detail::rules<true, &isSwissHoliday>();
constexpr HolidayRules weekendRules = detail::rules<true, nullptr>();
constexpr HolidayRules noRules = detail::rules<false, nullptr>();
constexpr HolidayRules londonRules = detail::rules<true, &isLondonHoliday>();
constexpr HolidayRules nyseRules = detail::rules<true, &isNyseHoliday>();
constexpr HolidayRules sydneyRules = detail::rules<true, &isSydneyHoliday>();
constexpr HolidayRules targetRules = detail::rules<true, &isTargetHoliday>();

}  // namespace

CalendarSwitzerland::CalendarSwitzerland() : Calendar(swissRules) {}
std::string CalendarSwitzerland::name() const { return "Switzerland- Stock Exchange"; }

CalendarWeekDaysOnly::CalendarWeekDaysOnly() : Calendar(weekendRules) {}
std::string CalendarWeekDaysOnly::name() const { return "WeekDays - Sat and Sun Holidays"; }

NullCalendar::NullCalendar() : Calendar(noRules) {}
std::string NullCalendar::name() const { return "Null calendar"; }

CalendarUK::CalendarUK() : Calendar(londonRules) {}
std::string CalendarUK::name() const { return "London Bank Holidays"; }

CalendarUS::CalendarUS() : Calendar(nyseRules) {}
std::string CalendarUS::name() const { return "United States - NYSE Holidays"; }

CalendarAustralia::CalendarAustralia() : Calendar(sydneyRules) {}
std::string CalendarAustralia::name() const { return "Sydney stock exchange"; }

CalendarTarget::CalendarTarget() : Calendar(targetRules) {}
std::string CalendarTarget::name() const {
  return "Trans-European Automated Real-time Gross settlement Express Transfer (TARGET) system";
}

}  // namespace QA
