// Rolls, business boundaries, stepping and counting, and the names the
// worksheet functions take.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "calendar/calendars.h"
#include "calendar/lookup.h"
#include "test_support.h"
#include "tests/support/thrown.h"

using calendar_test::ymd;
using calendar_test::ymdOf;
using QA::Date;
using zrtest::thrownMessage;

namespace {

const std::string invalid = "Invalid input date.";

}  // namespace

TEST(Rolls, EachConvention) {
  struct Case {
    const char* calendar;
    int day, expected[6];  // yyyymmdd, by convention code
  };
  const Case cases[] = {
      {"UK", 20110430, {20110430, 20110429, 20110429, 20110503, 20110429, 20110429}},  // MF goes back
      {"WeekDaysOnly", 20110501, {20110501, 20110429, 20110502, 20110502, 20110502, 20110502}},  // MP goes on
      {"US", 20101231, {20101231, 20101230, 20101230, 20110103, 20101230, 20101230}},
      {"UK", 20110415, {20110415, 20110415, 20110415, 20110415, 20110415, 20110415}},  // a business day
  };
  for (const Case& c : cases) {
    const auto calendar = QA::createCalendar(c.calendar);
    for (int code = 0; code < 6; ++code)
      EXPECT_EQ(calendar->adjust(ymdOf(c.day), static_cast<QA::BusinessDayConvention>(code)), ymdOf(c.expected[code]))
          << c.calendar << ' ' << code;
    EXPECT_EQ(calendar->adjust(ymdOf(c.day), static_cast<QA::BusinessDayConvention>(7)), ymdOf(c.day));
  }
  // With a month-end reference a business day moves to its month's last one.
  const QA::CalendarWeekDaysOnly weekdays;
  EXPECT_EQ(weekdays.adjust(ymd(2011, 4, 15), QA::MonthEndReference, ymd(2011, 3, 31)), ymd(2011, 4, 29));
  EXPECT_EQ(weekdays.adjust(ymd(2011, 4, 15), QA::MonthEndReference, ymd(2011, 3, 30)), ymd(2011, 4, 15));
}

TEST(Boundaries, MonthsAndYears) {
  const QA::CalendarWeekDaysOnly weekdays;
  EXPECT_EQ(weekdays.MonthStart(ymd(2011, 5, 31)), ymd(2011, 5, 2));
  EXPECT_FALSE(weekdays.isEndOfMonth(ymd(2011, 4, 28)));
  EXPECT_TRUE(weekdays.isEndOfMonth(ymd(2011, 4, 29)));
  const QA::CalendarUK uk;
  EXPECT_EQ(uk.YearStart(Date(1)), ymd(1900, 1, 3));  // Sunday 1, holiday Monday 2 January 1900
  EXPECT_EQ(uk.YearEnd(Date(73050)), Date(73050));
  EXPECT_TRUE(uk.isEndOfMonth(Date(73050)));
}

TEST(Stepping, NextPreviousAndN) {
  const QA::CalendarWeekDaysOnly weekdays;
  const Date monday = ymd(2011, 5, 2), saturday = ymd(2011, 4, 30);
  EXPECT_EQ(weekdays.plusBusinessDays(monday, 5), ymd(2011, 5, 9));
  EXPECT_EQ(weekdays.plusBusinessDays(saturday, -1), ymd(2011, 4, 29));
  // N = 0 gives any date back as it is, even one outside the tables.
  for (std::uint32_t s : {saturday.serial(), 0u, 73051u, 4294967295u})
    EXPECT_EQ(weekdays.plusBusinessDays(Date(s), 0), Date(s));
  EXPECT_EQ(QA::NullCalendar().plusBusinessDays(Date(73050), -73049), Date(1));
}

TEST(Counting, BothEndsIncludedAndNothingWhenStartIsAfterEnd) {
  const QA::CalendarWeekDaysOnly weekdays;
  EXPECT_EQ(weekdays.holidayCount(ymd(2011, 4, 30), ymd(2011, 5, 8)), 4u);
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 4, 30), ymd(2011, 5, 8)), 5u);
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 5, 2), ymd(2011, 5, 2)), 1u);
  EXPECT_EQ(QA::NullCalendar().businessDayCount(Date(1), Date(73050)), 73050u);
  // Start after end answers 0 before any date is checked.
  for (auto [start, end] : {std::pair<std::uint32_t, std::uint32_t>{40000, 39000}, {73051, 40000}, {1, 0},
                            {4294967295u, 73051}}) {
    EXPECT_EQ(weekdays.holidayCount(Date(start), Date(end)), 0u) << start;
    EXPECT_EQ(weekdays.businessDayCount(Date(start), Date(end)), 0u) << start;
  }
}

// Every call that takes or reaches a date outside serials 1 to 73050 is refused.
TEST(OutOfRange, RefusedWithInvalidInputDate) {
  const QA::CalendarUK uk;
  const Date ok = ymd(2011, 5, 3);
  for (std::uint32_t s : {0u, 73051u, 4294967295u}) {
    const Date d(s);
    for (int code = 0; code < 6; ++code)
      EXPECT_EQ(thrownMessage([&] { uk.adjust(d, static_cast<QA::BusinessDayConvention>(code)); }), invalid) << s;
    EXPECT_EQ(thrownMessage([&] { uk.isEndOfMonth(d); }), invalid) << s;
    EXPECT_EQ(thrownMessage([&] { uk.YearEnd(d); }), invalid) << s;
    EXPECT_EQ(thrownMessage([&] { uk.plusBusinessDays(d, -1); }), invalid) << s;
    EXPECT_EQ(thrownMessage([&] { uk.holidayCount(std::min(d, ok), std::max(d, ok)); }), invalid) << s;
  }
  // Stepping past either end.
  EXPECT_EQ(thrownMessage([&] { uk.previousBusinessDay(ymd(1900, 1, 3)); }), invalid);
  for (std::int32_t n : {INT_MIN, INT_MAX, 60000})
    EXPECT_EQ(thrownMessage([&] { uk.plusBusinessDays(ok, n); }), invalid) << n;
  calendar_test::Edited<QA::NullCalendar> none;
  none.addedHolidays.insert(Date(73050));
  EXPECT_EQ(thrownMessage([&] { none.adjust(Date(73050), QA::Following); }), invalid);
  EXPECT_EQ(none.adjust(Date(73050), QA::ModifiedFollowing), Date(73049));
}

// The indexed counts and steps against a walk of the business-day test.
TEST(Counting, IndexAgreesWithADayByDayWalk) {
  const QA::CalendarUS us;
  std::uint32_t running = 0;
  for (std::uint32_t s = 1; s <= 73050; ++s) {
    running += us.isBusinessDay(Date(s)) ? 1 : 0;
    ASSERT_EQ(us.businessDayCount(Date(1), Date(s)), running) << s;
  }
  for (std::uint32_t start = 17; start < 73000; start += 731) {
    const Date s = us.adjust(Date(start), QA::Following);
    Date x = s;
    for (int k = 0; k < 30; ++k) x = us.nextBusinessDay(x);
    EXPECT_EQ(us.plusBusinessDays(s, 30), x);
    EXPECT_EQ(us.plusBusinessDays(x, -30), s);
  }
}

TEST(Names, CalendarsAndConventions) {
  EXPECT_EQ(QA::createCalendar("")->name(), "Null calendar");
  EXPECT_EQ(QA::createCalendar("new YORK")->name(), "United States - NYSE Holidays");
  for (const char* name : {"LONDON ", "Zurich", "NewYork"})
    EXPECT_EQ(thrownMessage([&] { QA::createCalendar(name); }), "BusinessCalendar::Unknown Calendar") << name;

  const char* longNames[] = {"Unadjusted", "Preceding", "ModifiedPreceding", "Following", "ModifiedFollowing",
                             "MonthEndReference"};
  const char* shortNames[] = {"U", "P", "MP", "F", "M", "MER"};
  for (int code = 0; code < 6; ++code) {
    EXPECT_EQ(QA::parseBusinessDayConvention(longNames[code]), code);
    EXPECT_EQ(QA::parseBusinessDayConvention(shortNames[code]), code);
  }
  for (const char* text : {"following", "mp", ""})
    EXPECT_EQ(thrownMessage([&] { QA::parseBusinessDayConvention(text); }),
              "date_Adjust::Unrecognised day conevntion") << text;
}
