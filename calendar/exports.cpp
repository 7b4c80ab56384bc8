// Business calendar worksheet functions.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "addin/categories.h"
#include "calendar/lookup.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

namespace {

const char* const calendarHelp = "is the business calendar object.";
const char* const dateHelp = "is the input date.";

// A J argument as a serial: a negative number becomes a huge unsigned serial,
// which the calendar operations refuse.
QA::Date dateOf(int serial) { return QA::Date(static_cast<std::uint32_t>(serial)); }

// Runs work(calendar) in the frame, holding the calendar for the whole call.
template <class Work>
LPXLOPER onCalendar(OPER& result, const char* handle, Work work) {
  return framed(result, [&] {
    const boost::shared_ptr<QA::Calendar> calendar =
        objectFromHandle<boost::shared_ptr<QA::Calendar>>(handle);
    work(*calendar);
  });
}

OPER column(const std::vector<std::string>& texts) {
  OPER c(texts.size(), 1);
  for (std::size_t i = 0; i < texts.size(); ++i) c[i] = texts[i];
  return c;
}

}  // namespace

const CategoryTable& ZR::BusinessCalendarCategory() {
  static const ArgRow calendar{"F#", "CalendarObj", calendarHelp};
  static const ArgRow inputDate{"J#", "InputDate", dateHelp};
  static const ArgRow lowerInputDate{"J#", "inputDate", dateHelp};
  static const ArgRow Trigger{"P#", "Trigger", triggerHelp};
  static const std::vector<ArgRow> onDate{calendar, inputDate, Trigger};
  static const std::vector<ArgRow> onPlainDate{lowerInputDate, Trigger};
  static const CategoryTable table{
      "ZR_Business_Calendar",
      "This library exports useful business calendar functions.",
      "This library exports useful business calendar functions.",
      CategoryTable::DocumentationFirst,
      {
          {"date_Calendar",
           "R#",
           {{"F#", "Calendar", "is the calendar name - e.g. Zurich,Target etc."},
            {"P#", "trigger", triggerHelp}},
           "returns the business calendar object from the calendar name."},
          {"date_AllCalendars", "R#", {{"P#", "trigger", triggerHelp}},
           "returns the names of all available calendar names."},
          {"date_isBusDay", "R#", onDate, "checks whether the input date is a business day."},
          {"date_isHoliday", "R#", onDate, "checks whether the input date is a holiday."},
          {"date_isWeekend", "R#", {inputDate, Trigger}, "checks whether the input date is a weekend."},
          {"date_calendarName", "R#", {calendar, Trigger}, "returns the name of the Calendar."},
          {"date_isEndOfMonth", "R#", onDate, "checks whether the input date is end of month."},
          {"date_MonthEnd", "R#", onDate, "returns the business end of month."},
          {"date_MonthStart", "R#", onDate, "returns the business start of month."},
          {"date_YearStart", "R#", onDate, "returns the business start of year."},
          {"date_YearEnd", "R#", onDate, "returns the business end of year."},
          {"date_NextBusDay", "R#", onDate, "returns the next business day."},
          {"date_prevBusDay", "R#", onDate, "returns the previous business day."},
          {"date_plusBusDays",
           "R#",
           {calendar, inputDate, {"J#", "N", "is the number of business days."}, Trigger},
           "returns the nth business day given the calendar and the input date."},
          {"date_holidayCount",
           "R#",
           {calendar,
            {"J#", "StartDate", "is the start date."},
            {"J#", "EndDate", "is the end date"},
            {"P", "Trigger", triggerHelp}},
           "returns the number of holidays beteween the start and the end date."},
          {"date_BusDayDiff",
           "R#",
           {calendar,
            {"J#", "StartDate", "is the start date."},
            {"J#", "EndDate", "is the end date"},
            Trigger},
           "returns the number of business days beteween the start and the end date."},
          {"date_EasterMonday", "R#", {{"J#", "Year", "is the Year."}, Trigger},
           "returns the easter date for the year."},
          {"date_DaysInMonth", "R#", onPlainDate,
           "returns the number of days in month for a given date."},
          {"date_DaysInYear", "R#", onPlainDate, "returns the number of days in the year."},
          {"date_BusDayConventions", "R#", onPlainDate, "returns the business day conventions."},
          {"date_Adjust",
           "R#",
           {calendar,
            inputDate,
            {"F#", "RollConvention",
             "is the Roll Convention.\nUnadjusted,Preceding,ModifiedPreceding,Following,"
             "ModifiedFollowing or MonthEndReference"},
            Trigger},
           "rolls the input date to a business day by the roll convention."},
      },
      {},
  };
  return table;
}

XLL_PROC(LPXLOPER, date_Calendar, "?date_Calendar", (char* name, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    result = handleFactory::instance().insert(boost::any(QA::createCalendar(name)));
  });
}

XLL_PROC(LPXLOPER, date_AllCalendars, "?date_AllCalendars", (LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = column(QA::calendarNames()); });
}

XLL_PROC(LPXLOPER, date_isBusDay, "?date_isBusDay", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.isBusinessDay(dateOf(date)); });
}

XLL_PROC(LPXLOPER, date_isHoliday, "?date_isHoliday", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.isHoliday(dateOf(date)); });
}

XLL_PROC(LPXLOPER, date_isWeekend, "?date_isWeekend", (int date, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    // The weekday is arithmetic on any serial; only a negative one would wrap.
    if (date < 0) throw QA::invalidDateMessage;
    result = dateOf(date).isWeekend();
  });
}

XLL_PROC(LPXLOPER, date_calendarName, "?date_calendarName", (char* cal, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.name(); });
}

XLL_PROC(LPXLOPER, date_isEndOfMonth, "?date_isEndOfMonth", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.isEndOfMonth(dateOf(date)); });
}

XLL_PROC(LPXLOPER, date_MonthEnd, "?date_MonthEnd", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.MonthEnd(dateOf(date)).serial(); });
}

XLL_PROC(LPXLOPER, date_MonthStart, "?date_MonthStart", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.MonthStart(dateOf(date)).serial(); });
}

XLL_PROC(LPXLOPER, date_YearStart, "?date_YearStart", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.YearStart(dateOf(date)).serial(); });
}

XLL_PROC(LPXLOPER, date_YearEnd, "?date_YearEnd", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) { result = c.YearEnd(dateOf(date)).serial(); });
}

XLL_PROC(LPXLOPER, date_NextBusDay, "?date_NextBusDay", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal,
                    [&](const QA::Calendar& c) { result = c.nextBusinessDay(dateOf(date)).serial(); });
}

XLL_PROC(LPXLOPER, date_prevBusDay, "?date_prevBusDay", (char* cal, int date, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal,
                    [&](const QA::Calendar& c) { result = c.previousBusinessDay(dateOf(date)).serial(); });
}

XLL_PROC(LPXLOPER, date_plusBusDays, "?date_plusBusDays", (char* cal, int date, int n, LPXLOPER trigger)) {
  static OPER result;
  // n = 0 gives the date back as it is, whatever it is.
  return onCalendar(result, cal,
                    [&](const QA::Calendar& c) { result = c.plusBusinessDays(dateOf(date), n).serial(); });
}

XLL_PROC(LPXLOPER, date_holidayCount, "?date_holidayCount",
         (char* cal, int start, int end, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal,
                    [&](const QA::Calendar& c) { result = c.holidayCount(dateOf(start), dateOf(end)); });
}

XLL_PROC(LPXLOPER, date_BusDayDiff, "?date_BusDayDiff", (char* cal, int start, int end, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal,
                    [&](const QA::Calendar& c) { result = c.businessDayCount(dateOf(start), dateOf(end)); });
}

XLL_PROC(LPXLOPER, date_EasterMonday, "?date_EasterMonday", (int year, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = QA::Calendar::easterMonday(year); });
}

XLL_PROC(LPXLOPER, date_DaysInMonth, "?date_DaysInMonth", (int date, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = dateOf(date).daysInMonth(); });
}

XLL_PROC(LPXLOPER, date_DaysInYear, "?date_DaysInYear", (int date, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = dateOf(date).daysInYear(); });
}

XLL_PROC(LPXLOPER, date_BusDayConventions, "?date_BusDayConventions", (int date, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = column(QA::businessDayConventionNames()); });
}

XLL_PROC(LPXLOPER, date_Adjust, "?date_Adjust",
         (char* cal, int date, char* convention, LPXLOPER trigger)) {
  static OPER result;
  return onCalendar(result, cal, [&](const QA::Calendar& c) {
    const QA::BusinessDayConvention code = QA::parseBusinessDayConvention(convention);
    result = c.adjust(dateOf(date), code).serial();
  });
}
