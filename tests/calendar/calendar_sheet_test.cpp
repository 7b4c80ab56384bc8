// The date_* worksheet functions on sheets of the simulated host.
#include <string>
#include <vector>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;
using zrtest::isError;

// Serial of a date from March 1900 on (days since 30 December 1899).
int serial(int y, int m, int d) {
  y -= m <= 2;
  const int era = y / 400, yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 693899;
}
std::string D(int y, int m, int d) { return std::to_string(serial(y, m, d)); }

const std::string invalidDate = "Invalid input date.";

// A1 to A4 hold the UK, weekdays-only, TARGET and null calendars; each check
// enters its formula in a cell of its own below them.
class CalendarSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    host.setCell("A1", "=date_Calendar(\"UK\")");
    host.setCell("A2", "=date_Calendar(\"WeekDaysOnly\")");
    host.setCell("A3", "=date_Calendar(\"Target\")");
    host.setCell("A4", "=date_Calendar(\"NULL\")");
    host.calculate();
  }

  Value cell(const std::string& formula) {
    last = "C" + std::to_string(++row);
    return enter(last, formula);
  }
  double number(const std::string& formula) {
    Value v = cell(formula);
    EXPECT_TRUE(v.is(Value::Number)) << formula << " gives " << v << " " << errorOf(last);
    return v.num;
  }
  bool flag(const std::string& formula) {
    Value v = cell(formula);
    EXPECT_TRUE(v.is(Value::Boolean)) << formula << " gives " << v << " " << errorOf(last);
    return v.flag;
  }
  // The message of a formula that must fail.
  std::string failure(const std::string& formula) {
    Value v = cell(formula);
    EXPECT_TRUE(isError(v, xlerrValue)) << formula << " gives " << v;
    return errorOf(last);
  }
  std::vector<std::string> texts(const Value& v) {
    std::vector<std::string> out;
    for (const Value& e : v.elements) out.push_back(e.str);
    return out;
  }

  int row = 10;
  std::string last;
};

TEST_F(CalendarSheet, CreationAndNames) {
  EXPECT_EQ(host.value("A1").str, "#hndl1");
  EXPECT_EQ(host.value("A4").str, "#hndl4");
  struct Name {
    const char* given;
    const char* calendar;
  };
  // Letter case is ignored.
  const Name names[] = {
      {"swf", "Switzerland- Stock Exchange"},
      {"TARGET", "Trans-European Automated Real-time Gross settlement Express Transfer (TARGET) system"},
      {"weekdaysonly", "WeekDays - Sat and Sun Holidays"}, {"", "Null calendar"},
      {"london", "London Bank Holidays"}, {"Lon", "London Bank Holidays"},
      {"nyse", "United States - NYSE Holidays"}, {"SYDNEY", "Sydney stock exchange"},
  };
  for (const Name& n : names) {
    host.setCell("B1", std::string("=date_Calendar(\"") + n.given + "\")");
    host.calculate();
    EXPECT_EQ(cell("=date_calendarName(B1)").str, n.calendar) << n.given;
  }

  // Every listed name creates a calendar; two calls give the same column.
  host.setCell("D1:D13", "=date_AllCalendars()");
  host.calculate();
  Value all = host.values("D1:D13");
  EXPECT_EQ(texts(all), texts(host.call("date_AllCalendars", {}, "E1")));
  EXPECT_EQ(texts(all).front(), "Switzerland");
  EXPECT_EQ(texts(all).back(), "NYSE");
  for (int r = 1; r <= 13; ++r)
    EXPECT_TRUE(cell("=date_calendarName(date_Calendar(D" + std::to_string(r) + "))").is(Value::Text)) << r;

  // Every listed convention is accepted by date_Adjust.
  host.setCell("E1:E6", "=date_BusDayConventions(0)");
  host.calculate();
  EXPECT_EQ(texts(host.values("E1:E6")),
            (std::vector<std::string>{"Unadjusted", "Preceding", "ModifiedPreceding", "Following",
                                      "ModifiedFollowing", "MonthEndReference"}));
  for (int r = 1; r <= 6; ++r)
    EXPECT_EQ(number("=date_Adjust(A1," + D(2011, 5, 3) + ",E" + std::to_string(r) + ")"), serial(2011, 5, 3));
}

TEST_F(CalendarSheet, BusinessDayTests) {
  // Monday 2 May 2011, early May bank holiday; Saturday 30 April; Tuesday 3 May.
  EXPECT_FALSE(flag("=date_isBusDay(A1," + D(2011, 5, 2) + ")"));
  EXPECT_TRUE(flag("=date_isHoliday(A1," + D(2011, 5, 2) + ")"));
  EXPECT_FALSE(flag("=date_isWeekend(" + D(2011, 5, 2) + ")"));
  EXPECT_TRUE(flag("=date_isBusDay(A1," + D(2011, 5, 3) + ")"));
  EXPECT_TRUE(flag("=date_isWeekend(" + D(2011, 4, 30) + ")"));
  EXPECT_TRUE(flag("=date_isHoliday(A1," + D(2011, 4, 30) + ")"));
  // In the null calendar a weekend is a business day.
  EXPECT_TRUE(flag("=date_isBusDay(A4," + D(2011, 4, 30) + ")"));
  EXPECT_TRUE(flag("=date_isBusDay(A2," + D(2011, 5, 2) + ")"));
  // The supported range's ends answer.
  EXPECT_TRUE(flag("=date_isWeekend(1)"));  // Sunday 1 January 1900
  EXPECT_FALSE(flag("=date_isWeekend(73050)"));
}

TEST_F(CalendarSheet, Boundaries) {
  EXPECT_EQ(number("=date_MonthEnd(A2," + D(2011, 4, 12) + ")"), serial(2011, 4, 29));
  EXPECT_EQ(number("=date_MonthStart(A1," + D(2011, 5, 20) + ")"), serial(2011, 5, 3));
  EXPECT_EQ(number("=date_YearStart(A1," + D(2011, 6, 1) + ")"), serial(2011, 1, 4));
  EXPECT_EQ(number("=date_YearEnd(A1," + D(2011, 6, 1) + ")"), serial(2011, 12, 30));
  EXPECT_TRUE(flag("=date_isEndOfMonth(A2," + D(2011, 4, 29) + ")"));
  EXPECT_FALSE(flag("=date_isEndOfMonth(A2," + D(2011, 4, 28) + ")"));
  EXPECT_TRUE(flag("=date_isEndOfMonth(A2," + D(2011, 4, 30) + ")"));

  // 29 February 1900 (serial 60) exists; 1900 and 2000 have 366 days.
  EXPECT_EQ(number("=date_DaysInMonth(45)"), 29);
  EXPECT_EQ(number("=date_MonthEnd(A2,45)"), 60);
  EXPECT_EQ(number("=date_DaysInMonth(" + D(2001, 2, 10) + ")"), 28);
  EXPECT_EQ(number("=date_DaysInYear(1)"), 366);
  EXPECT_EQ(number("=date_DaysInYear(" + D(2000, 12, 31) + ")"), 366);
  EXPECT_EQ(number("=date_DaysInYear(" + D(2001, 1, 1) + ")"), 365);
  EXPECT_EQ(number("=date_EasterMonday(1901)"), 98);
  EXPECT_EQ(number("=date_EasterMonday(2000)"), 115);

  // The first and last supported days.
  EXPECT_EQ(number("=date_YearStart(A1,1)"), 3);
  EXPECT_EQ(number("=date_YearEnd(A1,73050)"), 73050);
  EXPECT_TRUE(flag("=date_isEndOfMonth(A1,73050)"));
  EXPECT_EQ(number("=date_prevBusDay(A4,2)"), 1);
  EXPECT_EQ(number("=date_NextBusDay(A4,73049)"), 73050);
}

TEST_F(CalendarSheet, SteppingAndCounting) {
  const std::string friday = D(2011, 4, 29), tuesday = D(2011, 5, 3);
  EXPECT_EQ(number("=date_NextBusDay(A1," + friday + ")"), serial(2011, 5, 3));
  EXPECT_EQ(number("=date_prevBusDay(A1," + tuesday + ")"), serial(2011, 4, 29));
  EXPECT_EQ(number("=date_plusBusDays(A1," + friday + ",1)"), serial(2011, 5, 3));
  EXPECT_EQ(number("=date_plusBusDays(A1," + tuesday + ",-1)"), serial(2011, 4, 29));
  // N = 0 gives the date back unadjusted, also a Saturday or the null date.
  EXPECT_EQ(number("=date_plusBusDays(A1," + D(2011, 4, 30) + ",0)"), serial(2011, 4, 30));
  EXPECT_EQ(number("=date_plusBusDays(A1,0,0)"), 0);

  // Twenty steps one at a time land where one call of twenty does, both ways.
  host.setCell("D1", D(2011, 12, 15));
  for (int r = 2; r <= 21; ++r)
    host.setCell("D" + std::to_string(r), "=date_NextBusDay(A1,D" + std::to_string(r - 1) + ")");
  host.calculate();
  EXPECT_EQ(number("=date_plusBusDays(A1,D1,20)"), host.value("D21").num);
  EXPECT_EQ(number("=date_plusBusDays(A1,D21,-20)"), host.value("D1").num);
  EXPECT_EQ(number("=date_BusDayDiff(A1,D1,D21)"), 21);

  // UK 2011: 260 weekdays, 8 of them holidays.
  const std::string jan1 = D(2011, 1, 1), dec31 = D(2011, 12, 31);
  EXPECT_EQ(number("=date_BusDayDiff(A1," + jan1 + "," + dec31 + ")"), 252);
  EXPECT_EQ(number("=date_holidayCount(A1," + jan1 + "," + dec31 + ")"), 113);
  EXPECT_EQ(number("=date_BusDayDiff(A2," + jan1 + "," + dec31 + ")"), 260);
  // Both ends count; start after end gives 0.
  EXPECT_EQ(number("=date_BusDayDiff(A1," + tuesday + "," + tuesday + ")"), 1);
  EXPECT_EQ(number("=date_holidayCount(A1," + D(2011, 5, 2) + "," + D(2011, 5, 2) + ")"), 1);
  EXPECT_EQ(number("=date_holidayCount(A1," + dec31 + "," + jan1 + ")"), 0);
  EXPECT_EQ(number("=date_BusDayDiff(A1," + dec31 + "," + jan1 + ")"), 0);
  // The whole range.
  EXPECT_EQ(number("=date_BusDayDiff(A4,1,73050)"), 73050);
  EXPECT_EQ(number("=date_holidayCount(A4,1,73050)"), 0);
}

TEST_F(CalendarSheet, RollConventions) {
  struct Case {
    const char* calendar;
    int day;
    int expected[6];  // U, P, MP, F, M, MER
  };
  const Case cases[] = {
      // Saturday 30 April 2011: the following business day is Tuesday 3 May.
      {"A1", serial(2011, 4, 30),
       {serial(2011, 4, 30), serial(2011, 4, 29), serial(2011, 4, 29), serial(2011, 5, 3),
        serial(2011, 4, 29), serial(2011, 4, 29)}},
      // Monday 31 August 2020, a bank holiday on the month's last day.
      {"A1", serial(2020, 8, 31),
       {serial(2020, 8, 31), serial(2020, 8, 28), serial(2020, 8, 28), serial(2020, 9, 1),
        serial(2020, 8, 28), serial(2020, 8, 28)}},
      // Friday 1 May 2015 (Labour Day) at a month start: MP goes forward.
      {"A3", serial(2015, 5, 1),
       {serial(2015, 5, 1), serial(2015, 4, 30), serial(2015, 5, 4), serial(2015, 5, 4),
        serial(2015, 5, 4), serial(2015, 5, 4)}},
      // Sunday 1 May 2011.
      {"A2", serial(2011, 5, 1),
       {serial(2011, 5, 1), serial(2011, 4, 29), serial(2011, 5, 2), serial(2011, 5, 2),
        serial(2011, 5, 2), serial(2011, 5, 2)}},
  };
  const char* shortNames[] = {"U", "P", "MP", "F", "M", "MER"};
  const char* longNames[] = {"Unadjusted", "Preceding", "ModifiedPreceding", "Following",
                             "ModifiedFollowing", "MonthEndReference"};
  for (const Case& c : cases)
    for (int k = 0; k < 6; ++k) {
      const std::string head = std::string("=date_Adjust(") + c.calendar + "," + std::to_string(c.day) + ",\"";
      EXPECT_EQ(number(head + shortNames[k] + "\")"), c.expected[k]) << c.calendar << ' ' << shortNames[k];
      EXPECT_EQ(number(head + longNames[k] + "\")"), c.expected[k]) << c.calendar << ' ' << longNames[k];
    }
  // A business day stays put under every convention.
  for (const char* name : shortNames)
    EXPECT_EQ(number("=date_Adjust(A1," + D(2011, 4, 15) + ",\"" + name + "\")"), serial(2011, 4, 15));
}

TEST_F(CalendarSheet, FailuresAndTheirMessages) {
  EXPECT_EQ(failure("=date_Calendar(\"Paris\")"), "BusinessCalendar::Unknown Calendar");
  EXPECT_EQ(failure("=date_Calendar(\"LONDON \")"), "BusinessCalendar::Unknown Calendar");
  EXPECT_EQ(failure("=date_Adjust(A1,40000,\"following\")"), "date_Adjust::Unrecognised day conevntion");
  EXPECT_EQ(failure("=date_Adjust(A1,40000,\"\")"), "date_Adjust::Unrecognised day conevntion");
  const std::string badCast = "boost::bad_any_cast: failed conversion using boost::any_cast";
  EXPECT_EQ(failure("=date_isBusDay(\"#hndl99\",40000)"), badCast);
  EXPECT_EQ(failure("=date_calendarName(\"UK\")"), badCast);
  host.setCell("B1", "=bsopt_create(100,100,0.2,0.05,0,1,TRUE)");
  host.calculate();
  EXPECT_EQ(failure("=date_MonthEnd(B1,40000)"), badCast);

  // Serial 0, a negative date, the day after 31 December 2099 and the J extremes.
  for (const std::string bad : {"0", "-1", "73051", "-2147483648", "2147483647"}) {
    SCOPED_TRACE(bad);
    for (const char* f : {"date_isBusDay", "date_isHoliday", "date_isEndOfMonth", "date_MonthEnd",
                          "date_MonthStart", "date_YearStart", "date_YearEnd", "date_NextBusDay",
                          "date_prevBusDay"})
      EXPECT_EQ(failure(std::string("=") + f + "(A1," + bad + ")"), invalidDate) << f;
    EXPECT_EQ(failure("=date_isWeekend(" + bad + ")"), invalidDate);
    EXPECT_EQ(failure("=date_DaysInMonth(" + bad + ")"), invalidDate);
    EXPECT_EQ(failure("=date_DaysInYear(" + bad + ")"), invalidDate);
    EXPECT_EQ(failure("=date_Adjust(A1," + bad + ",\"U\")"), invalidDate);
    EXPECT_EQ(failure("=date_plusBusDays(A1," + bad + ",1)"), invalidDate);
    EXPECT_EQ(failure("=date_plusBusDays(A1," + bad + ",-1)"), invalidDate);
    EXPECT_EQ(failure("=date_BusDayDiff(A1,40000," + bad + ")"), invalidDate);
    EXPECT_EQ(failure("=date_holidayCount(A1," + bad + ",40000)"), invalidDate);
  }
  // N = 0 returns a date unchecked only when it is the null date.
  EXPECT_EQ(failure("=date_plusBusDays(A1,-1,0)"), invalidDate);
  EXPECT_EQ(failure("=date_plusBusDays(A1,73051,0)"), invalidDate);

  // Stepping past either end of the range.
  EXPECT_EQ(failure("=date_prevBusDay(A4,1)"), invalidDate);
  EXPECT_EQ(failure("=date_NextBusDay(A4,73050)"), invalidDate);
  EXPECT_EQ(failure("=date_plusBusDays(A1,40000,-2147483648)"), invalidDate);
  EXPECT_EQ(failure("=date_plusBusDays(A1,40000,2147483647)"), invalidDate);
  EXPECT_EQ(failure("=date_plusBusDays(A4,73049,2)"), invalidDate);
  EXPECT_EQ(failure("=date_Adjust(A4,73051,\"F\")"), invalidDate);
  EXPECT_EQ(failure("=date_EasterMonday(1899)"), "Invalid input year.");
  EXPECT_EQ(failure("=date_EasterMonday(2100)"), "Invalid input year.");
  EXPECT_EQ(failure("=date_EasterMonday(-2147483648)"), "Invalid input year.");

  // A failed cell recovers, and its message goes.
  host.setCell("C11", "=date_Calendar(\"UK\")");
  host.calculate();
  EXPECT_TRUE(host.value("C11").is(Value::Text));
  EXPECT_EQ(errorOf("C11"), "");
}

TEST_F(CalendarSheet, RegistrationRows) {
  const xlsim::Registration& adjust = *host.function("date_Adjust");
  EXPECT_EQ(adjust.procedure, "?date_Adjust");
  EXPECT_EQ(adjust.typeText, "R#F#J#F#P#");
  EXPECT_EQ(adjust.argumentText, "CalendarObj, InputDate, RollConvention, Trigger");
  EXPECT_EQ(adjust.argumentHelp.at(2),
            "is the Roll Convention.\nUnadjusted,Preceding,ModifiedPreceding,Following,"
            "ModifiedFollowing or MonthEndReference");

  const xlsim::Registration& holidays = *host.function("date_holidayCount");
  EXPECT_EQ(holidays.typeText, "R#F#J#J#P");
  EXPECT_EQ(holidays.argumentText, "CalendarObj, StartDate, EndDate, Trigger");
  EXPECT_EQ(holidays.argumentHelp.at(2), "is the end date");
  EXPECT_EQ(holidays.functionHelp, "returns the number of holidays beteween the start and the end date.");

  const xlsim::Registration& create = *host.function("date_Calendar");
  EXPECT_EQ(create.typeText, "R#F#P#");
  EXPECT_EQ(create.argumentText, "Calendar, trigger");
  EXPECT_EQ(create.argumentHelp.at(0), "is the calendar name - e.g. Zurich,Target etc.");
  EXPECT_EQ(host.function("date_AllCalendars")->argumentText, "trigger");
  EXPECT_EQ(host.function("date_plusBusDays")->typeText, "R#F#J#J#P#");
  EXPECT_EQ(host.function("date_DaysInYear")->argumentText, "inputDate, Trigger");
  EXPECT_EQ(host.function("date_EasterMonday")->argumentHelp.at(0), "is the Year.");

  int functions = 0;
  for (const auto& r : host.registrations()) {
    if (r.functionText.rfind("date_", 0) != 0) continue;
    ++functions;
    EXPECT_EQ(r.category, "ZR_Business_Calendar") << r.functionText;
    EXPECT_EQ(r.procedure, "?" + r.functionText);
    EXPECT_EQ(r.typeText.substr(0, 2), "R#") << r.functionText;
    EXPECT_EQ(r.argumentHelp.back(), "is an optional argument for static dependencies.") << r.functionText;
  }
  EXPECT_EQ(functions, 21);
}

}  // namespace
