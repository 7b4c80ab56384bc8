#include "calendar/date.h"

#include "calendar/date_tables.h"

namespace QA {

namespace {

detail::Fields checkedFields(const Date& d) {
  requireSupported(d);
  return detail::fieldsOf(d.serial());
}

}  // namespace

void requireSupported(const Date& d) {
  if (!d.isSupported()) throw invalidDateMessage;
}

int Date::year() const { return checkedFields(*this).year; }
int Date::month() const { return checkedFields(*this).month; }
int Date::dayOfMonth() const { return checkedFields(*this).day; }
int Date::dayOfYear() const { return checkedFields(*this).dayOfYear; }

int Date::daysInMonth() const {
  const detail::Fields f = checkedFields(*this);
  return detail::monthLengths[f.leap][f.month - 1];
}

int Date::daysInYear() const { return checkedFields(*this).leap ? 366 : 365; }

Date Date::startOfMonth() const {
  const detail::Fields f = checkedFields(*this);
  return Date(serial_ - static_cast<std::uint32_t>(f.day) + 1);
}

Date Date::endOfMonth() const {
  const detail::Fields f = checkedFields(*this);
  return Date(serial_ - static_cast<std::uint32_t>(f.day) +
              static_cast<std::uint32_t>(detail::monthLengths[f.leap][f.month - 1]));
}

Date Date::startOfYear() const {
  const detail::Fields f = checkedFields(*this);
  return Date(static_cast<std::uint32_t>(detail::yearOffsets[f.year - detail::tableFirstYear]) + 1);
}

Date Date::endOfYear() const {
  const detail::Fields f = checkedFields(*this);
  return Date(static_cast<std::uint32_t>(detail::yearOffsets[f.year - detail::tableFirstYear]) + 365 +
              static_cast<std::uint32_t>(f.leap));
}

bool Date::isLeap(int year) {
  if (year < detail::tableFirstYear || year > detail::tableLastYear) throw invalidDateMessage;
  return detail::leapFlags[year - detail::tableFirstYear] != 0;
}

int Date::daysInMonth(int month, bool leap) {
  if (month < 1 || month > 12) throw invalidDateMessage;
  return detail::monthLengths[leap ? 1 : 0][month - 1];
}

}  // namespace QA
