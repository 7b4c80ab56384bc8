// Calendar rules and the per-calendar business-day index (internal to calendar/).
#pragma once

#include <cstdint>
#include <vector>

#include "calendar/date.h"
#include "calendar/date_tables.h"

namespace QA::detail {

// The fields a holiday rule reads.
struct Day {
  int w;    // weekday, 1 Sunday to 7 Saturday
  int dom;  // day of month
  int m;    // month
  int doy;  // day of year
  int y;    // year
  int em;   // Easter Monday's day of year

  explicit Day(std::uint32_t serial) {
    const Fields f = fieldsOf(serial);
    w = Date(serial).weekday();
    dom = f.day;
    m = f.month;
    doy = f.dayOfYear;
    y = f.year;
    em = easterMondays[y - tableFirstYear];
  }
};

class BusinessDayIndex;

// Weekend and holiday rules of one calendar class.
struct HolidayRules {
  bool weekendsOff;
  bool (*holiday)(const Day&);          // null: no holiday rule
  const BusinessDayIndex& (*index)();   // the rules' index, built on first use

  // Serial 1 to 73050; no check.
  bool isBusinessDay(std::uint32_t serial) const {
    if (weekendsOff && Date(serial).isWeekend()) return false;
    return holiday == nullptr || !holiday(Day(serial));
  }
};

// The business days of serials 1 to 73050 as a bit set with a running count per word.
class BusinessDayIndex {
 public:
  explicit BusinessDayIndex(const HolidayRules& rules);

  bool isBusinessDay(std::uint32_t serial) const { return (bits_[serial >> 6] >> (serial & 63)) & 1u; }
  // Business days among serials 1 to serial (0 to 73050).
  std::uint32_t count(std::uint32_t serial) const;
  std::uint32_t total() const { return count(Date::lastSerial); }
  // Serial of the k-th business day, 1 <= k <= total().
  std::uint32_t select(std::uint32_t k) const;

 private:
  std::vector<std::uint64_t> bits_;
  std::vector<std::uint32_t> before_;  // business days in the words before each word
};

template <bool WeekendsOff, bool (*Holiday)(const Day&)>
const BusinessDayIndex& indexOf() {
  static const BusinessDayIndex index(HolidayRules{WeekendsOff, Holiday, nullptr});
  return index;
}

// Rules with their index; a constant, so usable from any static initialiser.
template <bool WeekendsOff, bool (*Holiday)(const Day&)>
constexpr HolidayRules rules() {
  return {WeekendsOff, Holiday, &indexOf<WeekendsOff, Holiday>};
}

}  // namespace QA::detail
