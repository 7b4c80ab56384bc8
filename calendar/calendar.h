// Holiday calendars: the business-day test, roll conventions, business month and
// year boundaries, business-day stepping and counting.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "calendar/date.h"

namespace QA {

// Roll convention codes; any other code rolls like Unadjusted.
enum BusinessDayConvention : int {
  Unadjusted = 0,
  Preceding = 1,
  ModifiedPreceding = 2,
  Following = 3,
  ModifiedFollowing = 4,
  MonthEndReference = 5,
};

namespace detail {
struct HolidayRules;
}

// Base of the seven calendars. Every operation that takes a date refuses dates outside
// serials 1 to 73050 (and the null date) with invalidDateMessage, as it does a roll or a
// step that would leave that range. Objects are owned through the concrete class (the
// destructor is protected and not virtual).
class Calendar {
 public:
  virtual std::string name() const = 0;

  // Not in addedHolidays, and in removedHolidays or allowed by the weekend and holiday rules.
  bool isBusinessDay(const Date& d) const;
  bool isHoliday(const Date& d) const { return !isBusinessDay(d); }
  // The next business day after d lies in another month.
  bool isEndOfMonth(const Date& d) const;

  // Rolls d by the convention; the reference date matters for MonthEndReference only.
  Date adjust(const Date& d, BusinessDayConvention convention, const Date& reference = Date()) const;

  // Last and first business days of d's month and year.
  Date MonthEnd(const Date& d) const;
  Date MonthStart(const Date& d) const;
  Date YearEnd(const Date& d) const;
  Date YearStart(const Date& d) const;

  // Nearest business day strictly after / before d.
  Date nextBusinessDay(const Date& d) const;
  Date previousBusinessDay(const Date& d) const;
  // The n-th business day after d (before d for n < 0); n = 0 gives d unchecked.
  Date plusBusinessDays(const Date& d, std::int32_t n) const;

  // Days from start to end, both included, that are holidays / business days; 0 when
  // start is after end.
  std::uint32_t holidayCount(const Date& start, const Date& end) const;
  std::uint32_t businessDayCount(const Date& start, const Date& end) const;

  // Day of year of Easter Monday for 1900 to 2099, else invalidDateMessage.
  static int easterMonday(int year);

 protected:
  explicit Calendar(const detail::HolidayRules& rules) : rules_(&rules) {}
  Calendar(const Calendar&) = default;
  Calendar& operator=(const Calendar&) = default;
  ~Calendar() = default;

  // A date in addedHolidays is a holiday, one in removedHolidays (and not added) a
  // business day, whatever the rules say. Nothing in the library fills them.
  std::set<Date> addedHolidays;
  std::set<Date> removedHolidays;

 private:
  Date searchBusinessDay(Date from, int step) const;
  Date businessDayOnOrBefore(const Date& start) const;
  Date businessDayOnOrAfter(const Date& start) const;
  Date stepDayByDay(const Date& d, std::int64_t n) const;

  const detail::HolidayRules* rules_;
};

}  // namespace QA
