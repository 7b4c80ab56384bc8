// The date_* worksheet functions on a sheet: each export's wiring once, the
// argument marshalling, error values and stored messages.
#include <string>
#include <vector>

#include "tests/calendar/test_support.h"
#include "tests/support/addin_test.h"

namespace {

using calendar_test::serialOf;
using xlsim::Value;
using zrtest::isError;

std::string D(int y, int m, int d) { return std::to_string(serialOf(y, m, d)); }

// A1 holds a UK calendar, A2 a weekdays-only one; checks go in column C.
class CalendarSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    host.setCell("A1", "=date_Calendar(\"lon\")");
    host.setCell("A2", "=date_Calendar(\"WeekDaysOnly\")");
    host.calculate();
  }
  Value cell(const std::string& formula) { return enter(last = "C" + std::to_string(++row), formula); }
  // The message of a formula that must fail.
  std::string failure(const std::string& formula) {
    Value v = cell(formula);
    EXPECT_TRUE(isError(v, xlerrValue)) << formula;
    return errorOf(last);
  }
  int row = 0;
  std::string last;
};

TEST_F(CalendarSheet, EachFunctionOnce) {
  const std::string sat = D(2011, 4, 30), mon = D(2011, 5, 2), tue = D(2011, 5, 3);
  const std::pair<std::string, Value> cases[] = {
      {"=date_isBusDay(A1," + mon + ")", Value::boolean(false)},
      {"=date_isHoliday(A1," + mon + ")", Value::boolean(true)},
      {"=date_isWeekend(" + sat + ")", Value::boolean(true)},
      {"=date_calendarName(A1)", Value::text("London Bank Holidays")},
      {"=date_isEndOfMonth(A2," + sat + ")", Value::boolean(true)},
      {"=date_MonthEnd(A2," + tue + ")", Value::number(serialOf(2011, 5, 31))},
      {"=date_MonthStart(A1," + tue + ")", Value::number(serialOf(2011, 5, 3))},
      {"=date_YearStart(A1," + tue + ")", Value::number(serialOf(2011, 1, 4))},
      {"=date_YearEnd(A1," + tue + ")", Value::number(serialOf(2011, 12, 30))},
      {"=date_NextBusDay(A1," + sat + ")", Value::number(serialOf(2011, 5, 3))},
      {"=date_prevBusDay(A1," + tue + ")", Value::number(serialOf(2011, 4, 29))},
      {"=date_plusBusDays(A1," + sat + ",2)", Value::number(serialOf(2011, 5, 4))},
      {"=date_holidayCount(A1," + sat + "," + tue + ")", Value::number(3)},
      {"=date_BusDayDiff(A1," + sat + "," + tue + ")", Value::number(1)},
      {"=date_EasterMonday(2000)", Value::number(115)},
      {"=date_DaysInMonth(45)", Value::number(29)},
      {"=date_DaysInYear(1)", Value::number(366)},
      {"=date_Adjust(A1," + sat + ",\"MF\")", Value::error(xlerrValue)},
      {"=date_Adjust(A1," + sat + ",\"Following\")", Value::number(serialOf(2011, 5, 3))},
      // Weekend arithmetic on any serial; N = 0 gives back anything.
      {"=date_isWeekend(0)", Value::boolean(true)},
      {"=date_isWeekend()", Value::boolean(true)},
      {"=date_isWeekend(73051)", Value::boolean(false)},
      {"=date_plusBusDays(A1," + sat + ",0)", Value::number(serialOf(2011, 4, 30))},
      {"=date_plusBusDays(A1,73051,0)", Value::number(73051)},
  };
  for (const auto& [formula, expected] : cases) EXPECT_EQ(cell(formula), expected) << formula;
}

TEST_F(CalendarSheet, ColumnsOfNames) {
  host.setCell("D1:D13", "=date_AllCalendars()");
  host.setCell("E1:E6", "=date_BusDayConventions()");
  host.calculate();
  std::vector<std::string> names, conventions;
  for (const Value& v : host.values("D1:D13").elements) names.push_back(v.str);
  for (const Value& v : host.values("E1:E6").elements) conventions.push_back(v.str);
  EXPECT_EQ(names, (std::vector<std::string>{"Switzerland", "Target", "WeekDaysOnly", "NULL", "UK", "US", "Australia",
                                             "Sydney", "LON", "LONDON", "SWF", "New York", "NYSE"}));
  EXPECT_EQ(conventions, (std::vector<std::string>{"Unadjusted", "Preceding", "ModifiedPreceding", "Following",
                                                   "ModifiedFollowing", "MonthEndReference"}));
}

TEST_F(CalendarSheet, FailuresAndTheirMessages) {
  const std::string invalid = "Invalid input date.";
  const std::string badCast = "boost::bad_any_cast: failed conversion using boost::any_cast";
  EXPECT_EQ(failure("=date_Calendar(\"LONDON \")"), "BusinessCalendar::Unknown Calendar");
  EXPECT_EQ(failure("=date_Adjust(A1,40000,\"following\")"), "date_Adjust::Unrecognised day conevntion");
  EXPECT_EQ(failure("=date_isBusDay(\"#hndl99\",40000)"), badCast);
  host.setCell("B1", "=bsopt_create(100,100,0.2,0.05,0,1,TRUE)");
  EXPECT_EQ(failure("=date_MonthEnd(B1,40000)"), badCast);
  // Negative J arguments would wrap: refused, as is stepping off the tables.
  EXPECT_EQ(failure("=date_isWeekend(-1)"), invalid);
  EXPECT_EQ(failure("=date_isBusDay(A1,-1)"), invalid);
  EXPECT_EQ(failure("=date_prevBusDay(A1,1)"), invalid);
  EXPECT_EQ(failure("=date_plusBusDays(A1,40000,-2147483648)"), invalid);
  EXPECT_EQ(failure("=date_BusDayDiff(A1,40000,73051)"), invalid);
  EXPECT_EQ(failure("=date_DaysInYear(73051)"), invalid);
  for (const char* year : {"1899", "2100", "-2147483648"})
    EXPECT_EQ(failure(std::string("=date_EasterMonday(") + year + ")"), invalid) << year;
}

TEST_F(CalendarSheet, RegistrationRows) {
  const xlsim::Registration& adjust = *host.function("date_Adjust");
  EXPECT_EQ(adjust.typeText, "R#F#J#F#P#");
  EXPECT_EQ(adjust.argumentHelp.at(2),
            "is the Roll Convention.\nUnadjusted,Preceding,ModifiedPreceding,Following,"
            "ModifiedFollowing or MonthEndReference");
  const xlsim::Registration& holidays = *host.function("date_holidayCount");
  EXPECT_EQ(holidays.typeText, "R#F#J#J#P");
  EXPECT_EQ(holidays.argumentHelp.at(2), "is the end date");
  EXPECT_EQ(holidays.functionHelp, "returns the number of holidays beteween the start and the end date.");
  EXPECT_EQ(host.function("date_Calendar")->argumentHelp.at(0), "is the calendar name - e.g. Zurich,Target etc.");
  EXPECT_EQ(host.function("date_DaysInYear")->argumentText, "inputDate, Trigger");
}

}  // namespace
