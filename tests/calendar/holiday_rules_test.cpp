// The holiday rules, rule by rule: one date per rule per calendar, each
// weekend-shift edge, and the one year where a rule stops.
#include <gtest/gtest.h>

#include <vector>

#include "calendar/calendars.h"
#include "calendar/lookup.h"
#include "test_support.h"
#include "tests/support/thrown.h"

using calendar_test::Edited;
using calendar_test::ymd;
using calendar_test::ymdOf;
using QA::Date;
using zrtest::thrownMessage;

namespace {

// A calendar whose added and removed holidays the test can fill.
// Dates as yyyymmdd: per calendar, one date for each of its rules and the
// weekend-shift edges on either side of them.
struct Rules {
  const char *calendar, *name;
  std::vector<int> holidays, businessDays;
};

const Rules rules[] = {
    // 1 Jan; Mon 2 and Mon 3 Jan; Good Friday, Easter Monday (1900, the latest
    // and the earliest too); first and last Monday of May; last Monday of
    // August; 25, 26 Dec; Mon 27 and Tue 28 Dec. Not: Tue 2 Jan, Wed 29 Dec,
    // the last Monday of May 2002, nothing in its place.
    {"UK", "London Bank Holidays",
     {20100101, 20120102, 20110103, 20110422, 20110425, 19000413, 19430426, 20080321, 20110502, 20030526,
      20200831, 20121225, 20121226, 20101227, 20101228},
     {20180102, 20101229, 20020527, 20020604}},
    // 1 Jan, Mon 2 Jan, Fri 31 Dec; third Monday of Jan and Feb; last Monday of
    // May (2002 too); 4 Jul, Mon 5 Jul, Fri 3 Jul; first Monday of Sep; fourth
    // Thursday of Nov; 25 Dec, Mon 26 Dec, Fri 24 Dec. Not: Mon 3 Jan, Good
    // Friday, Tue 26 Dec.
    {"US", "United States - NYSE Holidays",
     {20100101, 20120102, 20101231, 20110117, 20110221, 20110530, 20020527, 20110704, 20100705, 20090703,
      20110905, 20111124, 20121225, 20111226, 20101224},
     {20110103, 20100402, 20171226}},
    // 1 Jan; 26 Jan, Mon 27 and Mon 28 Jan; Good Friday, Easter Monday; 25 Apr,
    // Mon 26 Apr; second Monday of Jun; first Monday of Aug and Oct; 25, 26 Dec,
    // Mon 27 and Tue 27 Dec. Not: Mon 3 Jan (1 Jan never moves), Mon 27 Apr.
    {"Australia", "Sydney stock exchange",
     {20100101, 20110126, 20140127, 20130128, 20120406, 20120409, 20120425, 20100426, 20110613, 20110801,
      20111003, 20121225, 20121226, 20101227, 20111227},
     {20110103, 20150427}},
    // 1, 2 Jan; Good Friday, Easter Monday, Ascension, Whit Monday; 1 May,
    // 1 Aug, 25, 26 Dec. Nothing moves.
    {"Switzerland", "Switzerland- Stock Exchange",
     {20100101, 20120102, 20110422, 20110425, 20110602, 20110613, 20120501, 20110801, 20121225, 20121226},
     {20110103, 20101227}},
    {"Target", "Trans-European Automated Real-time Gross settlement Express Transfer (TARGET) system",
     {20100101, 20110422, 20110425, 20120501, 20121225, 20121226}, {20110602, 20101227}},
    {"WeekDaysOnly", "WeekDays - Sat and Sun Holidays", {20110430}, {20121225, 19000229}},
    {"NULL", "Null calendar", {}, {20110430, 20111225}},
};

}  // namespace

TEST(HolidayRules, OneDatePerRule) {
  for (const Rules& r : rules) {
    const auto calendar = QA::createCalendar(r.calendar);
    EXPECT_EQ(calendar->name(), r.name);
    for (std::uint32_t s : {0u, 73051u})
      EXPECT_EQ(thrownMessage([&] { calendar->isBusinessDay(Date(s)); }), "Invalid input date.") << r.calendar;
    for (int date : r.holidays) EXPECT_TRUE(calendar->isHoliday(ymdOf(date))) << r.calendar << ' ' << date;
    for (int date : r.businessDays) EXPECT_TRUE(calendar->isBusinessDay(ymdOf(date))) << r.calendar << ' ' << date;
  }
}

TEST(HolidayRules, AddedAndRemovedHolidaysComeFirst) {
  Edited<QA::NullCalendar> none;
  Edited<QA::CalendarWeekDaysOnly> weekdays;
  const Date wednesday = ymd(2011, 5, 4), sunday = ymd(2011, 5, 8);
  none.addedHolidays.insert(wednesday);
  EXPECT_TRUE(none.isHoliday(wednesday));
  weekdays.removedHolidays.insert(sunday);
  EXPECT_TRUE(weekdays.isBusinessDay(sunday));
  weekdays.addedHolidays.insert(sunday);  // added wins over removed
  EXPECT_TRUE(weekdays.isHoliday(sunday));
  EXPECT_EQ(weekdays.businessDayCount(ymd(2011, 5, 2), sunday), 5u);
}
