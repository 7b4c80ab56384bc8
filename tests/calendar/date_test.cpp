// Serial dates: fields, leap years, month and year boundaries, weekends,
// Easter Monday, and the refusal of unsupported dates.
#include <gtest/gtest.h>

#include "calendar/calendar.h"
#include "test_support.h"
#include "tests/support/thrown.h"

using calendar_test::ymd;
using QA::Date;
using zrtest::thrownMessage;

TEST(Date, FieldsAtTheEdgesOfTheTables) {
  struct Case {
    std::uint32_t serial;
    int year, month, day, dayOfYear, daysInMonth;
  } cases[] = {
      {1, 1900, 1, 1, 1, 31},         {59, 1900, 2, 28, 59, 29},
      {60, 1900, 2, 29, 60, 29},      {61, 1900, 3, 1, 61, 31},
      {366, 1900, 12, 31, 366, 31},   {367, 1901, 1, 1, 1, 31},
      {36585, 2000, 2, 29, 60, 29},   {36891, 2000, 12, 31, 366, 31},
      {37011, 2001, 4, 30, 120, 30},  {73050, 2099, 12, 31, 365, 31},
  };
  for (const Case& c : cases) {
    const Date d(c.serial);
    EXPECT_EQ(d, ymd(c.year, c.month, c.day)) << c.serial;
    EXPECT_EQ(d.year(), c.year) << c.serial;
    EXPECT_EQ(d.month(), c.month) << c.serial;
    EXPECT_EQ(d.dayOfMonth(), c.day) << c.serial;
    EXPECT_EQ(d.dayOfYear(), c.dayOfYear) << c.serial;
    EXPECT_EQ(d.daysInMonth(), c.daysInMonth) << c.serial;
    EXPECT_EQ(d.startOfMonth(), ymd(c.year, c.month, 1)) << c.serial;
    EXPECT_EQ(d.endOfMonth(), ymd(c.year, c.month, c.daysInMonth)) << c.serial;
    EXPECT_EQ(d.endOfYear(), ymd(c.year, 12, 31)) << c.serial;
  }
  EXPECT_TRUE(Date::isLeap(1900));
  EXPECT_TRUE(Date::isLeap(2000));
  EXPECT_FALSE(Date::isLeap(2100));
  EXPECT_EQ(Date(1).daysInYear(), 366);
  EXPECT_EQ(ymd(2001, 6, 1).daysInYear(), 365);
}

// Saturday 1 January 2000, Sunday 1 January 1900, Monday 3 January 2000, and
// any serial at all: the null date, a Friday past the tables, 4294967292 mod 7 = 0.
TEST(Date, WeekendsArePureArithmetic) {
  for (std::uint32_t s : {36526u, 1u, 0u, 4294967292u}) EXPECT_TRUE(Date(s).isWeekend()) << s;
  for (std::uint32_t s : {36528u, 73051u}) EXPECT_FALSE(Date(s).isWeekend()) << s;
}

// Easter Monday as a day of year. Easter Sundays from the published tables:
// 15 April 1900, 7 April 1901, 23 March 1913 and 2008 (the earliest),
// 25 April 1943 and 2038 (the latest), 23 April 2000 and 2079, 12 April 2099.
TEST(Date, EasterMonday) {
  const std::pair<int, Date> cases[] = {
      {1900, ymd(1900, 4, 16)}, {1901, ymd(1901, 4, 8)},  {1913, ymd(1913, 3, 24)},
      {1943, ymd(1943, 4, 26)}, {2000, ymd(2000, 4, 24)}, {2008, ymd(2008, 3, 24)},
      {2038, ymd(2038, 4, 26)}, {2079, ymd(2079, 4, 24)}, {2099, ymd(2099, 4, 13)},
  };
  for (const auto& [year, monday] : cases)
    EXPECT_EQ(QA::Calendar::easterMonday(year), monday.dayOfYear()) << year;
  EXPECT_EQ(QA::Calendar::easterMonday(1900), 107);
}

TEST(Date, OneRefusalTextForEverythingOutsideTheTables) {
  for (std::uint32_t s : {0u, 73051u, 4294967295u}) {
    EXPECT_EQ(thrownMessage([&] { Date(s).year(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownMessage([&] { Date(s).endOfMonth(); }), "Invalid input date.") << s;
  }
  for (int year : {1899, 2100, -2147483647 - 1})
    EXPECT_EQ(thrownMessage([&] { QA::Calendar::easterMonday(year); }), "Invalid input date.") << year;
  EXPECT_EQ(thrownMessage([] { Date::isLeap(2101); }), "Invalid input date.");
  EXPECT_EQ(thrownMessage([] { Date::daysInMonth(13, true); }), "Invalid input date.");
}
