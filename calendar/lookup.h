// Calendars and roll conventions by name, as the worksheet functions take them.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "calendar/calendar.h"

namespace QA {

inline constexpr char unknownCalendarMessage[] = "BusinessCalendar::Unknown Calendar";
inline constexpr char unknownConventionMessage[] = "date_Adjust::Unrecognised day conevntion";

// The 13 accepted calendar names in display order.
const std::vector<std::string>& calendarNames();

// A new calendar for a name of calendarNames() or the empty text, letter case ignored;
// else throws unknownCalendarMessage. The pointer owns the concrete class.
boost::shared_ptr<Calendar> createCalendar(const std::string& name);

// "Unadjusted" ... "MonthEndReference", the names of codes 0 to 5.
const std::vector<std::string>& businessDayConventionNames();

// "F"/"Following", "M"/"ModifiedFollowing", "P"/"Preceding", "U"/"Unadjusted",
// "MP"/"ModifiedPreceding", "MER"/"MonthEndReference", letter case kept; else throws
// unknownConventionMessage.
BusinessDayConvention parseBusinessDayConvention(const std::string& text);

}  // namespace QA
