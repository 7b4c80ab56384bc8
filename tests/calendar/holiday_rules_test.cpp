#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "calendar/calendars.h"
#include "calendar/lookup.h"
#include "quantlib_differences.h"
#include "test_support.h"

using calendar_test::thrownText;
using calendar_test::ymd;
using QA::Date;

namespace {

// A calendar whose added and removed holidays the test can fill.
template <class C>
struct Edited : C {
  using QA::Calendar::addedHolidays;
  using QA::Calendar::removedHolidays;
};

Date easterMondayOf(int year) { return ymd(year, 1, 1) + (QA::Calendar::easterMonday(year) - 1); }

}  // namespace

TEST(HolidayRules, London) {
  const QA::CalendarUK uk;
  EXPECT_TRUE(uk.isHoliday(ymd(2011, 1, 3)));     // 1 January on Saturday
  EXPECT_TRUE(uk.isHoliday(ymd(2012, 1, 2)));     // 1 January on Sunday
  EXPECT_TRUE(uk.isHoliday(ymd(2010, 12, 27)));   // 25 December on Saturday
  EXPECT_TRUE(uk.isHoliday(ymd(2010, 12, 28)));
  EXPECT_TRUE(uk.isBusinessDay(ymd(2010, 12, 29)));
  EXPECT_TRUE(uk.isBusinessDay(ymd(2002, 5, 27)));  // the 2002 exception, nothing in its place
  EXPECT_TRUE(uk.isBusinessDay(ymd(2002, 6, 3)));
  EXPECT_TRUE(uk.isBusinessDay(ymd(2002, 6, 4)));
  EXPECT_TRUE(uk.isHoliday(ymd(2003, 5, 26)));
  EXPECT_TRUE(uk.isHoliday(ymd(2020, 8, 31)));    // last Monday of August on a month end
  // Easter of 1900, outside QuantLib's range: 13 and 16 April in the 1900 date system.
  EXPECT_TRUE(uk.isHoliday(Date(QA::Calendar::easterMonday(1900) - 3)));
  EXPECT_TRUE(uk.isHoliday(ymd(1900, 4, 16)));
  EXPECT_TRUE(uk.isBusinessDay(ymd(1900, 4, 17)));
}

TEST(HolidayRules, NewYork) {
  const QA::CalendarUS us;
  EXPECT_TRUE(us.isHoliday(ymd(2010, 12, 31)));   // 1 January 2011 on Saturday
  EXPECT_TRUE(us.isHoliday(ymd(2012, 1, 2)));
  EXPECT_TRUE(us.isBusinessDay(ymd(2010, 4, 2)));  // Good Friday
  EXPECT_TRUE(us.isHoliday(ymd(2009, 7, 3)));
  EXPECT_TRUE(us.isHoliday(ymd(2010, 7, 5)));
  EXPECT_TRUE(us.isHoliday(ymd(2010, 12, 24)));
  EXPECT_TRUE(us.isHoliday(ymd(2011, 12, 26)));
  EXPECT_TRUE(us.isHoliday(ymd(1950, 1, 16)));    // third Monday of January in every year
}

TEST(HolidayRules, Sydney) {
  const QA::CalendarAustralia au;
  EXPECT_TRUE(au.isBusinessDay(ymd(2011, 1, 3)));  // 1 January never moves
  EXPECT_TRUE(au.isHoliday(ymd(2014, 1, 27)));     // 26 January on Sunday
  EXPECT_TRUE(au.isHoliday(ymd(2010, 4, 26)));     // 25 April on Sunday
  EXPECT_TRUE(au.isBusinessDay(ymd(2015, 4, 27)));  // 25 April on Saturday is not moved
  EXPECT_TRUE(au.isHoliday(ymd(2011, 12, 27)));
}

TEST(HolidayRules, SwitzerlandAndTargetEveryYear) {
  const QA::CalendarSwitzerland ch;
  const QA::CalendarTarget target;
  for (int y = 1900; y <= 2099; ++y) {
    const Date em = easterMondayOf(y);
    for (Date d : {ymd(y, 1, 2), em + 38, em + 49, ymd(y, 8, 1)}) {
      if (!d.isWeekend()) {
        EXPECT_TRUE(ch.isHoliday(d)) << y;
      }
    }
    for (Date d : {ymd(y, 5, 1), ymd(y, 12, 26), em - 3, em}) {
      if (!d.isWeekend()) {
        EXPECT_TRUE(target.isHoliday(d)) << y;
      }
    }
    const Date ascension = em + 38;
    EXPECT_EQ(target.isBusinessDay(ascension), ascension != ymd(y, 5, 1)) << y;
  }
  EXPECT_TRUE(ch.isHoliday(ymd(2011, 6, 2)));
  EXPECT_TRUE(ch.isHoliday(ymd(2011, 6, 13)));
}

TEST(HolidayRules, NullAndWeekDaysOnly) {
  const QA::NullCalendar none;
  const QA::CalendarWeekDaysOnly weekdays;
  EXPECT_TRUE(none.isBusinessDay(ymd(2011, 4, 30)));
  EXPECT_TRUE(none.isBusinessDay(ymd(2011, 12, 25)));
  EXPECT_TRUE(weekdays.isHoliday(ymd(2011, 4, 30)));
  EXPECT_TRUE(weekdays.isBusinessDay(ymd(2012, 12, 25)));
  EXPECT_TRUE(weekdays.isBusinessDay(Date(60)));  // Wednesday 29 February 1900
}

TEST(HolidayRules, AddedAndRemovedHolidays) {
  Edited<QA::NullCalendar> none;
  Edited<QA::CalendarWeekDaysOnly> weekdays;
  const Date wednesday = ymd(2011, 5, 4), sunday = ymd(2011, 5, 8);
  none.addedHolidays.insert(wednesday);
  EXPECT_TRUE(none.isHoliday(wednesday));
  none.removedHolidays.insert(sunday);
  EXPECT_TRUE(none.isBusinessDay(sunday));
  weekdays.removedHolidays.insert(sunday);
  EXPECT_TRUE(weekdays.isBusinessDay(sunday));
  weekdays.addedHolidays.insert(sunday);  // added wins over removed
  EXPECT_TRUE(weekdays.isHoliday(sunday));
}

TEST(HolidayRules, Names) {
  EXPECT_EQ(QA::CalendarSwitzerland().name(), "Switzerland- Stock Exchange");
  EXPECT_EQ(QA::CalendarWeekDaysOnly().name(), "WeekDays - Sat and Sun Holidays");
  EXPECT_EQ(QA::NullCalendar().name(), "Null calendar");
  EXPECT_EQ(QA::CalendarUK().name(), "London Bank Holidays");
  EXPECT_EQ(QA::CalendarUS().name(), "United States - NYSE Holidays");
  EXPECT_EQ(QA::CalendarAustralia().name(), "Sydney stock exchange");
  EXPECT_EQ(QA::CalendarTarget().name(),
            "Trans-European Automated Real-time Gross settlement Express Transfer (TARGET) system");
}

TEST(HolidayRules, RefuseUnsupportedDates) {
  const QA::NullCalendar none;
  for (std::uint32_t s : {0u, 73051u, 4294967295u}) {
    EXPECT_EQ(thrownText([&] { none.isBusinessDay(Date(s)); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { none.isHoliday(Date(s)); }), "Invalid input date.") << s;
  }
}

// Every day of 1901 to 2099 against QuantLib 1.29 (Debian package), see
// tools/calendar/make_reference.cpp; the only differences allowed are those of
// quantlib_differences.h, and each of those must still be one.
TEST(QuantLibCrossCheck, EveryDayFrom1901To2099) {
  for (const std::string name : {"Switzerland", "Target", "WeekDaysOnly", "NULL", "UK", "US", "Australia"}) {
    const auto calendar = QA::createCalendar(name);
    std::map<std::uint32_t, bool> known;  // serial -> holiday here
    for (const auto& k : calendar_reference::knownDifferences)
      if (k.calendar == name)
        for (int date : k.dates) known[calendar_reference::serialOfYmd(date)] = k.holidayHere;

    const std::set<std::uint32_t> quantlib = calendar_reference::quantlibHolidays(name);
    int unexplained = 0;
    std::size_t differences = 0;
    for (std::uint32_t s = ymd(1901, 1, 1).serial(); s <= ymd(2099, 12, 31).serial(); ++s) {
      const Date d(s);
      const bool here = calendar->isHoliday(d);
      if (here == (quantlib.count(s) != 0)) continue;
      ++differences;
      const auto k = known.find(s);
      if ((k == known.end() || k->second != here) && ++unexplained <= 10)
        ADD_FAILURE() << name << ": " << d.year() << '-' << d.month() << '-' << d.dayOfMonth()
                      << (here ? " is a holiday here only" : " is a business day here only");
    }
    EXPECT_EQ(unexplained, 0) << name;
    EXPECT_EQ(differences, known.size()) << name << ": a known difference no longer differs";
  }
}
