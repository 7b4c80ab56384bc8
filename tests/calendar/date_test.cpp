#include <gtest/gtest.h>

#include "calendar/calendar.h"
#include "test_support.h"

using calendar_test::thrownText;
using calendar_test::ymd;
using QA::Date;

TEST(Date, FieldsOfEveryDayFrom1900To2099) {
  // Walk the calendar day by day (with the 29 February 1900 of the 1900 date system).
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::uint32_t serial = 0;
  for (int y = 1900; y <= 2099; ++y) {
    const bool leap = y == 1900 || (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
    int doy = 0;
    for (int m = 1; m <= 12; ++m) {
      const int length = lengths[m - 1] + (m == 2 && leap ? 1 : 0);
      for (int d = 1; d <= length; ++d) {
        const Date date(++serial);
        ++doy;
        ASSERT_EQ(calendar_reference::serialOf(y, m, d), serial);
        ASSERT_EQ(date.year(), y) << serial;
        ASSERT_EQ(date.month(), m) << serial;
        ASSERT_EQ(date.dayOfMonth(), d) << serial;
        ASSERT_EQ(date.dayOfYear(), doy) << serial;
        ASSERT_EQ(date.daysInMonth(), length) << serial;
        ASSERT_EQ(date.daysInYear(), leap ? 366 : 365) << serial;
        ASSERT_EQ(date.startOfMonth().serial(), serial - d + 1);
        ASSERT_EQ(date.endOfMonth().serial(), serial - d + length);
        ASSERT_EQ(date.startOfYear().serial(), serial - doy + 1);
        ASSERT_EQ(date.endOfYear().serial(), serial - doy + (leap ? 366 : 365));
      }
    }
  }
  EXPECT_EQ(serial, Date::lastSerial);
  EXPECT_EQ(Date(60).dayOfMonth(), 29);  // 29 February 1900
  EXPECT_EQ(Date(73050).dayOfYear(), 365);
}

TEST(Date, WeekdaysAndWeekends) {
  EXPECT_TRUE(Date(36526).isWeekend());  // Saturday 1 January 2000
  EXPECT_EQ(Date(36526).weekday(), QA::Saturday);
  EXPECT_EQ(Date(36527).weekday(), QA::Sunday);
  EXPECT_FALSE(Date(36528).isWeekend());  // Monday 3 January 2000
  EXPECT_EQ(Date(36528).weekday(), QA::Monday);
  EXPECT_EQ(Date(1).weekday(), QA::Sunday);  // the 1900 date system's 1 January 1900
  // Pure arithmetic, also outside the supported range (-1 arrives as 4294967295).
  EXPECT_EQ(Date(0).weekday(), QA::Saturday);
  EXPECT_EQ(Date(4294967295u).weekday(), QA::Tuesday);
}

TEST(Date, LeapFlagsAndMonthLengths) {
  EXPECT_TRUE(Date::isLeap(1900));
  EXPECT_TRUE(Date::isLeap(2000));
  EXPECT_FALSE(Date::isLeap(2100));
  EXPECT_FALSE(Date::isLeap(2001));
  EXPECT_EQ(Date::daysInMonth(2, true), 29);
  EXPECT_EQ(Date::daysInMonth(2, false), 28);
  EXPECT_EQ(Date::daysInMonth(12, false), 31);
  EXPECT_EQ(thrownText([] { Date::isLeap(1899); }), "Invalid input year.");
  EXPECT_EQ(thrownText([] { Date::isLeap(2101); }), "Invalid input year.");
  EXPECT_EQ(thrownText([] { Date::daysInMonth(0, false); }), "Invalid input month.");
  EXPECT_EQ(thrownText([] { Date::daysInMonth(13, true); }), "Invalid input month.");
}

TEST(Date, FieldsRefuseUnsupportedSerials) {
  for (std::uint32_t s : {0u, 73051u, 4294967295u, 2147483648u}) {
    const Date d(s);
    EXPECT_EQ(thrownText([&] { d.year(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.month(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.dayOfMonth(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.dayOfYear(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.daysInMonth(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.daysInYear(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.endOfMonth(); }), "Invalid input date.") << s;
    EXPECT_EQ(thrownText([&] { d.startOfYear(); }), "Invalid input date.") << s;
  }
}

TEST(EasterMonday, TableValues) {
  EXPECT_EQ(QA::Calendar::easterMonday(1900), 107);  // 16 April, counted with 29 February 1900
  EXPECT_EQ(QA::Calendar::easterMonday(1901), 98);
  EXPECT_EQ(QA::Calendar::easterMonday(2000), 115);
  EXPECT_EQ(QA::Calendar::easterMonday(2079), 114);
  EXPECT_EQ(QA::Calendar::easterMonday(2099), 103);
  EXPECT_EQ(thrownText([] { QA::Calendar::easterMonday(1899); }), "Invalid input year.");
  EXPECT_EQ(thrownText([] { QA::Calendar::easterMonday(2100); }), "Invalid input year.");
  EXPECT_EQ(thrownText([] { QA::Calendar::easterMonday(-2147483647 - 1); }), "Invalid input year.");
}

// QuantLib 1.29 (Debian package): Calendar::WesternImpl::easterMonday, 1901 to 2099.
TEST(EasterMonday, MatchesQuantLib) {
  std::ifstream in = calendar_reference::openData("easter_monday.txt");
  std::string line;
  int years = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int year = 0, day = 0;
    fields >> year >> day;
    EXPECT_EQ(QA::Calendar::easterMonday(year), day) << year;
    ++years;
  }
  EXPECT_EQ(years, 199);
}
