#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "calendar/calendars.h"
#include "calendar/lookup.h"
#include "test_support.h"

using calendar_test::thrownText;
using calendar_test::ymd;
using QA::Date;

namespace {

template <class C>
struct Edited : C {
  using QA::Calendar::addedHolidays;
  using QA::Calendar::removedHolidays;
};

const QA::BusinessDayConvention allConventions[] = {
    QA::Unadjusted, QA::Preceding, QA::ModifiedPreceding, QA::Following, QA::ModifiedFollowing,
    QA::MonthEndReference};

}  // namespace

TEST(Rolls, ExamplesAroundMonthEnds) {
  const QA::CalendarUK uk;
  const Date saturday = ymd(2011, 4, 30);
  EXPECT_EQ(uk.adjust(saturday, QA::Following), ymd(2011, 5, 3));
  EXPECT_EQ(uk.adjust(saturday, QA::ModifiedFollowing), ymd(2011, 4, 29));
  EXPECT_EQ(uk.adjust(saturday, QA::Preceding), ymd(2011, 4, 29));

  const QA::CalendarWeekDaysOnly weekdays;
  const Date sunday = ymd(2011, 5, 1);
  EXPECT_EQ(weekdays.adjust(sunday, QA::Preceding), ymd(2011, 4, 29));
  EXPECT_EQ(weekdays.adjust(sunday, QA::ModifiedPreceding), ymd(2011, 5, 2));
  EXPECT_EQ(weekdays.adjust(ymd(2011, 4, 15), QA::MonthEndReference, ymd(2011, 3, 31)), ymd(2011, 4, 29));
  // Reference not a month end: a business day stays.
  EXPECT_EQ(weekdays.adjust(ymd(2011, 4, 15), QA::MonthEndReference, ymd(2011, 3, 30)), ymd(2011, 4, 15));
}

TEST(Rolls, EachConventionOnAHolidayAtAMonthEnd) {
  struct Case {
    const char* calendar;
    Date day;
    Date expected[6];  // by convention code
  };
  const Case cases[] = {
      // Monday 31 August 2020, last Monday of August.
      {"UK", ymd(2020, 8, 31),
       {ymd(2020, 8, 31), ymd(2020, 8, 28), ymd(2020, 8, 28), ymd(2020, 9, 1), ymd(2020, 8, 28), ymd(2020, 8, 28)}},
      // Friday 31 December 2010, New Year's Day on Saturday.
      {"US", ymd(2010, 12, 31),
       {ymd(2010, 12, 31), ymd(2010, 12, 30), ymd(2010, 12, 30), ymd(2011, 1, 3), ymd(2010, 12, 30), ymd(2010, 12, 30)}},
      // Friday 1 May 2015 at a month start: the modified preceding roll goes forward.
      {"Target", ymd(2015, 5, 1),
       {ymd(2015, 5, 1), ymd(2015, 4, 30), ymd(2015, 5, 4), ymd(2015, 5, 4), ymd(2015, 5, 4), ymd(2015, 5, 4)}},
  };
  for (const Case& c : cases) {
    const auto calendar = QA::createCalendar(c.calendar);
    for (QA::BusinessDayConvention convention : allConventions)
      EXPECT_EQ(calendar->adjust(c.day, convention), c.expected[convention]) << c.calendar << ' ' << convention;
  }
}

TEST(Rolls, UnknownCodesAndNullReference) {
  const QA::CalendarUS us;
  const Date holiday = ymd(2010, 7, 5);
  EXPECT_EQ(us.adjust(holiday, QA::Unadjusted), holiday);
  EXPECT_EQ(us.adjust(holiday, static_cast<QA::BusinessDayConvention>(7)), holiday);
  EXPECT_EQ(us.adjust(holiday, static_cast<QA::BusinessDayConvention>(-1)), holiday);
  for (std::uint32_t s = ymd(2010, 1, 1).serial(); s <= ymd(2011, 1, 31).serial(); ++s)
    EXPECT_EQ(us.adjust(Date(s), QA::MonthEndReference), us.adjust(Date(s), QA::ModifiedFollowing)) << s;
}

TEST(Boundaries, MonthsAndYears) {
  const QA::CalendarWeekDaysOnly weekdays;
  for (int day = 1; day <= 30; ++day) {
    EXPECT_EQ(weekdays.MonthEnd(ymd(2011, 4, day)), ymd(2011, 4, 29));
    EXPECT_EQ(weekdays.MonthStart(ymd(2011, 5, day)), ymd(2011, 5, 2));
  }
  EXPECT_EQ(weekdays.YearStart(ymd(2011, 7, 14)), ymd(2011, 1, 3));
  EXPECT_EQ(weekdays.YearEnd(ymd(2011, 7, 14)), ymd(2011, 12, 30));
  EXPECT_TRUE(weekdays.isEndOfMonth(ymd(2011, 4, 29)));
  EXPECT_FALSE(weekdays.isEndOfMonth(ymd(2011, 4, 28)));
  EXPECT_TRUE(weekdays.isEndOfMonth(ymd(2011, 4, 30)));
  EXPECT_EQ(weekdays.MonthEnd(Date(45)), Date(60));  // 29 February 1900 is a Wednesday

  const QA::CalendarUK uk;
  EXPECT_EQ(uk.YearStart(ymd(2011, 6, 1)), ymd(2011, 1, 4));
  EXPECT_EQ(uk.YearStart(Date(1)), ymd(1900, 1, 3));  // Sunday 1, holiday Monday 2 January 1900
  EXPECT_EQ(uk.YearEnd(Date(73050)), Date(73050));    // Thursday 31 December 2099
  EXPECT_TRUE(uk.isEndOfMonth(Date(73050)));
  EXPECT_EQ(QA::CalendarUS().YearEnd(ymd(2010, 3, 3)), ymd(2010, 12, 30));
  EXPECT_EQ(QA::CalendarUS().MonthEnd(ymd(2010, 12, 3)), ymd(2010, 12, 30));
}

TEST(Stepping, NextPreviousAndN) {
  const QA::CalendarWeekDaysOnly weekdays;
  const Date monday = ymd(2011, 5, 2);
  EXPECT_EQ(weekdays.plusBusinessDays(monday, -1), ymd(2011, 4, 29));
  EXPECT_EQ(weekdays.plusBusinessDays(monday, 5), ymd(2011, 5, 9));
  EXPECT_EQ(weekdays.plusBusinessDays(ymd(2011, 4, 30), 1), monday);
  EXPECT_EQ(weekdays.plusBusinessDays(ymd(2011, 4, 30), -1), ymd(2011, 4, 29));
  EXPECT_EQ(weekdays.plusBusinessDays(ymd(2011, 4, 30), 0), ymd(2011, 4, 30));
  EXPECT_EQ(weekdays.plusBusinessDays(Date(0), 0), Date(0));
  EXPECT_EQ(weekdays.nextBusinessDay(ymd(2011, 4, 29)), monday);
  EXPECT_EQ(weekdays.previousBusinessDay(monday), ymd(2011, 4, 29));
  const QA::NullCalendar none;
  EXPECT_EQ(none.plusBusinessDays(Date(1), 73049), Date(73050));
  EXPECT_EQ(none.plusBusinessDays(Date(73050), -73049), Date(1));
}

TEST(Counting, BothEndsIncluded) {
  const QA::CalendarWeekDaysOnly weekdays;
  EXPECT_EQ(weekdays.holidayCount(ymd(2011, 4, 30), ymd(2011, 5, 8)), 4u);
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 4, 30), ymd(2011, 5, 8)), 5u);
  EXPECT_EQ(weekdays.holidayCount(ymd(2011, 5, 8), ymd(2011, 4, 30)), 0u);
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 5, 8), ymd(2011, 4, 30)), 0u);
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 5, 2), ymd(2011, 5, 6)), 5u);
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 5, 2), ymd(2011, 5, 2)), 1u);
  EXPECT_EQ(weekdays.holidayCount(ymd(2011, 5, 1), ymd(2011, 5, 1)), 1u);
  EXPECT_EQ(QA::NullCalendar().businessDayCount(Date(1), Date(73050)), 73050u);
}

// Every call that takes or reaches a date outside serials 1 to 73050 is refused.
TEST(OutOfRange, RefusedWithInvalidInputDate) {
  const QA::CalendarUK uk;
  const std::string invalid = "Invalid input date.";
  for (std::uint32_t s : {0u, 73051u, 4294967295u}) {
    const Date d(s), ok = ymd(2011, 5, 3);
    for (QA::BusinessDayConvention c : allConventions)
      EXPECT_EQ(thrownText([&] { uk.adjust(d, c); }), invalid) << s << ' ' << c;
    if (!d.isNull()) {  // a null reference is no reference
      EXPECT_EQ(thrownText([&] { uk.adjust(ok, QA::MonthEndReference, d); }), invalid) << s;
    }
    EXPECT_EQ(thrownText([&] { uk.isEndOfMonth(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.MonthEnd(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.MonthStart(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.YearEnd(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.YearStart(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.nextBusinessDay(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.previousBusinessDay(d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.plusBusinessDays(d, 1); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.plusBusinessDays(d, -1); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.businessDayCount(d, ok); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.businessDayCount(ok, d); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.holidayCount(d, ok); }), invalid) << s;
    EXPECT_EQ(thrownText([&] { uk.holidayCount(ok, d); }), invalid) << s;
  }
  // Stepping past either end.
  EXPECT_EQ(thrownText([&] { uk.previousBusinessDay(Date(1)); }), invalid);
  EXPECT_EQ(thrownText([&] { uk.previousBusinessDay(ymd(1900, 1, 3)); }), invalid);
  EXPECT_EQ(thrownText([&] { uk.nextBusinessDay(Date(73050)); }), invalid);
  EXPECT_EQ(thrownText([&] { uk.plusBusinessDays(Date(73048), 3); }), invalid);
  for (std::int32_t n : {INT_MIN, INT_MIN + 1, INT_MAX, 60000, -60000})
    EXPECT_EQ(thrownText([&] { uk.plusBusinessDays(ymd(2011, 5, 3), n); }), invalid) << n;
}

TEST(OutOfRange, RollsAtTheEndsOfTheRange) {
  Edited<QA::NullCalendar> none;
  none.addedHolidays.insert(Date(1));
  none.addedHolidays.insert(Date(73050));
  EXPECT_EQ(thrownText([&] { none.adjust(Date(73050), QA::Following); }), "Invalid input date.");
  EXPECT_EQ(none.adjust(Date(73050), QA::ModifiedFollowing), Date(73049));
  EXPECT_EQ(none.adjust(Date(73050), QA::MonthEndReference, Date(73050)), Date(73049));
  EXPECT_EQ(thrownText([&] { none.adjust(Date(1), QA::Preceding); }), "Invalid input date.");
  EXPECT_EQ(none.adjust(Date(1), QA::ModifiedPreceding), Date(2));
  EXPECT_EQ(none.YearStart(Date(1)), Date(2));
  EXPECT_EQ(thrownText([&] { none.plusBusinessDays(Date(73049), 1); }), "Invalid input date.");
  EXPECT_EQ(thrownText([&] { none.plusBusinessDays(Date(5), INT_MIN); }), "Invalid input date.");
  EXPECT_EQ(none.plusBusinessDays(Date(3), -1), Date(2));
}

// The table-driven counts and steps against a walk of the business-day test, with and
// without added and removed holidays.
TEST(FastPaths, AgreeWithDayByDayWalk) {
  Edited<QA::CalendarUS> edited;
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> day(1, 73050);
  for (int i = 0; i < 40; ++i) {
    edited.addedHolidays.insert(Date(day(rng)));
    edited.removedHolidays.insert(Date(day(rng)));
  }
  // In both sets: the added entry wins, for a rule holiday and a business day alike.
  for (Date both : {ymd(2011, 7, 4), ymd(2011, 7, 5), *edited.addedHolidays.begin()}) {
    edited.addedHolidays.insert(both);
    edited.removedHolidays.insert(both);
  }
  const QA::CalendarUS plain;
  for (const QA::Calendar* c : {static_cast<const QA::Calendar*>(&plain), static_cast<const QA::Calendar*>(&edited)}) {
    std::uint32_t running = 0;
    for (std::uint32_t s = 1; s <= 73050; ++s) {
      running += c->isBusinessDay(Date(s)) ? 1 : 0;
      ASSERT_EQ(c->businessDayCount(Date(1), Date(s)), running) << s;
    }
    for (int i = 0; i < 300; ++i) {
      const Date a(day(rng)), b(day(rng));
      const Date s = std::min(a, b), e = std::max(a, b);
      std::uint32_t business = 0;
      for (Date x = s; x <= e; ++x) business += c->isBusinessDay(x) ? 1 : 0;
      EXPECT_EQ(c->businessDayCount(s, e), business);
      EXPECT_EQ(c->holidayCount(s, e), e.serial() - s.serial() + 1 - business);
      const std::int32_t n = static_cast<std::int32_t>(std::min<std::uint32_t>(business, 400));
      if (n > 2) {
        Date x = s;
        for (std::int32_t k = 0; k < n - 1; ++k) x = c->nextBusinessDay(x);
        EXPECT_EQ(c->plusBusinessDays(s, n - 1), x);
        EXPECT_EQ(c->plusBusinessDays(x, 2 - n), c->nextBusinessDay(s));
      }
    }
  }
}

// Random dates against QuantLib 1.29 (Debian package), its calendars aligned with
// quantlib_differences.h; see tools/calendar/make_reference.cpp.
TEST(QuantLibCrossCheck, RollsStepsAndCountsOnRandomDates) {
  std::map<std::string, boost::shared_ptr<QA::Calendar>> calendars;
  const auto calendar = [&](const std::string& name) -> const QA::Calendar& {
    auto& c = calendars[name];
    if (!c) c = QA::createCalendar(name);
    return *c;
  };
  const auto date = [](const std::string& text) { return Date(static_cast<std::uint32_t>(std::stoul(text))); };
  const auto cases = calendar_reference::randomCases();

  ASSERT_GT(cases.at("adjust").size(), 1000u);
  for (const auto& r : cases.at("adjust")) {
    const QA::Calendar& c = calendar(r[0]);
    const Date d = date(r[1]);
    EXPECT_EQ(c.adjust(d, QA::Following), date(r[2])) << r[0] << ' ' << r[1];
    EXPECT_EQ(c.adjust(d, QA::ModifiedFollowing), date(r[3])) << r[0] << ' ' << r[1];
    EXPECT_EQ(c.adjust(d, QA::Preceding), date(r[4])) << r[0] << ' ' << r[1];
    EXPECT_EQ(c.adjust(d, QA::ModifiedPreceding), date(r[5])) << r[0] << ' ' << r[1];
  }
  ASSERT_GT(cases.at("monthend").size(), 500u);
  for (const auto& r : cases.at("monthend"))
    EXPECT_EQ(calendar(r[0]).adjust(date(r[1]), QA::MonthEndReference, date(r[2])), date(r[3]))
        << r[0] << ' ' << r[1] << ' ' << r[2];
  ASSERT_GT(cases.at("step").size(), 900u);
  for (const auto& r : cases.at("step"))
    EXPECT_EQ(calendar(r[0]).plusBusinessDays(date(r[1]), std::stoi(r[2])), date(r[3]))
        << r[0] << ' ' << r[1] << ' ' << r[2];
  ASSERT_GT(cases.at("count").size(), 1000u);
  for (const auto& r : cases.at("count")) {
    const QA::Calendar& c = calendar(r[0]);
    const Date s = date(r[1]), e = date(r[2]);
    const long business = std::stol(r[3]);  // QuantLib's is negative when s > e
    EXPECT_EQ(c.businessDayCount(s, e), s <= e ? static_cast<std::uint32_t>(business) : 0u) << r[1] << ' ' << r[2];
    EXPECT_EQ(c.holidayCount(s, e), static_cast<std::uint32_t>(std::stoul(r[4]))) << r[1] << ' ' << r[2];
  }
}
