// The seven holiday calendars.
#pragma once

#include <string>

#include "calendar/calendar.h"

namespace QA {

class CalendarSwitzerland : public Calendar {
 public:
  CalendarSwitzerland();
  std::string name() const override;
};

class CalendarWeekDaysOnly : public Calendar {
 public:
  CalendarWeekDaysOnly();
  std::string name() const override;
};

// Every day is a business day, weekends included.
class NullCalendar : public Calendar {
 public:
  NullCalendar();
  std::string name() const override;
};

class CalendarUK : public Calendar {
 public:
  CalendarUK();
  std::string name() const override;
};

class CalendarUS : public Calendar {
 public:
  CalendarUS();
  std::string name() const override;
};

class CalendarAustralia : public Calendar {
 public:
  CalendarAustralia();
  std::string name() const override;
};

class CalendarTarget : public Calendar {
 public:
  CalendarTarget();
  std::string name() const override;
};

}  // namespace QA
