#include "calendar/lookup.h"

#include <string_view>

#include <boost/make_shared.hpp>

#include "calendar/calendars.h"

namespace QA {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Same length and equal up to ASCII letter case.
bool sameIgnoringCase(const std::string& a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

template <class C>
boost::shared_ptr<Calendar> make() {
  return boost::make_shared<C>();
}

struct NamedCalendar {
  const char* name;
  boost::shared_ptr<Calendar> (*create)();
};

// Tried in this order.
const NamedCalendar namedCalendars[] = {
    {"Switzerland", &make<CalendarSwitzerland>}, {"SWF", &make<CalendarSwitzerland>},
    {"Target", &make<CalendarTarget>},
    {"WeekDaysOnly", &make<CalendarWeekDaysOnly>},
    {"", &make<NullCalendar>}, {"NULL", &make<NullCalendar>},
    {"UK", &make<CalendarUK>}, {"LON", &make<CalendarUK>}, {"LONDON", &make<CalendarUK>},
    {"US", &make<CalendarUS>}, {"New York", &make<CalendarUS>}, {"NYSE", &make<CalendarUS>},
    {"Australia", &make<CalendarAustralia>}, {"Sydney", &make<CalendarAustralia>},
};

struct NamedConvention {
  const char* name;
  BusinessDayConvention convention;
};

const NamedConvention namedConventions[] = {
    {"F", Following}, {"Following", Following},
    {"M", ModifiedFollowing}, {"ModifiedFollowing", ModifiedFollowing},
    {"P", Preceding}, {"Preceding", Preceding},
    {"U", Unadjusted}, {"Unadjusted", Unadjusted},
    {"MP", ModifiedPreceding}, {"ModifiedPreceding", ModifiedPreceding},
    {"MER", MonthEndReference}, {"MonthEndReference", MonthEndReference},
};

}  // namespace

const std::vector<std::string>& calendarNames() {
  static const std::vector<std::string> names = {
      "Switzerland", "Target", "WeekDaysOnly", "NULL", "UK", "US", "Australia",
      "Sydney", "LON", "LONDON", "SWF", "New York", "NYSE"};
  return names;
}

boost::shared_ptr<Calendar> createCalendar(const std::string& name) {
  for (const NamedCalendar& c : namedCalendars)
    if (sameIgnoringCase(name, c.name)) return c.create();
  throw unknownCalendarMessage;
}

const std::vector<std::string>& businessDayConventionNames() {
  static const std::vector<std::string> names = {
      "Unadjusted", "Preceding", "ModifiedPreceding", "Following", "ModifiedFollowing",
      "MonthEndReference"};
  return names;
}

BusinessDayConvention parseBusinessDayConvention(const std::string& text) {
  for (const NamedConvention& c : namedConventions)
    if (text == c.name) return c.convention;
  throw unknownConventionMessage;
}

}  // namespace QA
