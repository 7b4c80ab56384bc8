#include "calendar/calendar.h"

#include <algorithm>
#include <bitset>

#include "calendar/rules.h"

namespace QA {

namespace detail {

namespace {

int popcount(std::uint64_t word) { return static_cast<int>(std::bitset<64>(word).count()); }
int lowestBit(std::uint64_t word) { return popcount((word & (~word + 1)) - 1); }

}  // namespace

BusinessDayIndex::BusinessDayIndex(const HolidayRules& rules)
    : bits_((Date::lastSerial >> 6) + 1, 0), before_(bits_.size(), 0) {
  for (std::uint32_t s = Date::firstSerial; s <= Date::lastSerial; ++s)
    if (rules.isBusinessDay(s)) bits_[s >> 6] |= std::uint64_t{1} << (s & 63);
  for (std::size_t w = 1; w < bits_.size(); ++w)
    before_[w] = before_[w - 1] + static_cast<std::uint32_t>(popcount(bits_[w - 1]));
}

std::uint32_t BusinessDayIndex::count(std::uint32_t serial) const {
  const std::uint32_t bit = serial & 63;
  const std::uint64_t upTo = bit == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << bit) - 1;
  return before_[serial >> 6] + static_cast<std::uint32_t>(popcount(bits_[serial >> 6] & upTo));
}

std::uint32_t BusinessDayIndex::select(std::uint32_t k) const {
  // Last word with fewer than k business days before it.
  const auto w = static_cast<std::size_t>(std::lower_bound(before_.begin(), before_.end(), k) - before_.begin()) - 1;
  std::uint64_t word = bits_[w];
  for (std::uint32_t r = k - before_[w]; r > 1; --r) word &= word - 1;
  return static_cast<std::uint32_t>(w << 6) + static_cast<std::uint32_t>(lowestBit(word));
}

}  // namespace detail

bool Calendar::isBusinessDay(const Date& d) const {
  requireSupported(d);
  if (addedHolidays.count(d) != 0) return false;
  if (removedHolidays.count(d) != 0) return true;
  return rules_->isBusinessDay(d.serial());
}

// First business day from `from` on in the direction of step (+1 or -1); the null date
// when there is none within the supported range.
Date Calendar::searchBusinessDay(Date from, int step) const {
  for (; from.isSupported(); from = from + step)
    if (isBusinessDay(from)) return from;
  return Date();
}

Date Calendar::businessDayOnOrBefore(const Date& start) const {
  const Date x = searchBusinessDay(start, -1);
  if (x.isNull()) throw invalidDateMessage;
  return x;
}

Date Calendar::businessDayOnOrAfter(const Date& start) const {
  const Date x = searchBusinessDay(start, +1);
  if (x.isNull()) throw invalidDateMessage;
  return x;
}

bool Calendar::isEndOfMonth(const Date& d) const {
  const Date monthEnd = d.endOfMonth();
  return d == monthEnd || businessDayCount(d + 1, monthEnd) == 0;
}

Date Calendar::adjust(const Date& d, BusinessDayConvention convention, const Date& reference) const {
  requireSupported(d);
  switch (convention) {
    case Following:
    case ModifiedFollowing:
    case MonthEndReference: {
      const Date x = searchBusinessDay(d, +1);
      // A roll past the range lands in another month as well.
      const bool otherMonth = x.isNull() || x.month() != d.month();
      if (convention != Following && otherMonth) return adjust(d, Preceding);
      if (x.isNull()) throw invalidDateMessage;
      if (convention == MonthEndReference && !reference.isNull() && isEndOfMonth(reference) &&
          !isEndOfMonth(x))
        return adjust(x.endOfMonth(), Preceding);
      return x;
    }
    case Preceding:
    case ModifiedPreceding: {
      const Date x = searchBusinessDay(d, -1);
      const bool otherMonth = x.isNull() || x.month() != d.month();
      if (convention == ModifiedPreceding && otherMonth) return adjust(d, Following);
      if (x.isNull()) throw invalidDateMessage;
      return x;
    }
    case Unadjusted:
    default:
      return d;
  }
}

Date Calendar::MonthEnd(const Date& d) const { return businessDayOnOrBefore(d.endOfMonth()); }
Date Calendar::MonthStart(const Date& d) const { return businessDayOnOrAfter(d.startOfMonth()); }
Date Calendar::YearEnd(const Date& d) const { return businessDayOnOrBefore(d.endOfYear()); }
Date Calendar::YearStart(const Date& d) const { return businessDayOnOrAfter(d.startOfYear()); }

Date Calendar::nextBusinessDay(const Date& d) const {
  requireSupported(d);
  return adjust(d + 1, Following);
}

Date Calendar::previousBusinessDay(const Date& d) const {
  requireSupported(d);
  return adjust(d - 1, Preceding);
}

Date Calendar::stepDayByDay(const Date& d, std::int64_t n) const {
  Date x = d;
  for (std::int64_t i = 0; i < n; ++i) x = nextBusinessDay(x);
  for (std::int64_t i = 0; i > n; --i) x = previousBusinessDay(x);
  return x;
}

Date Calendar::plusBusinessDays(const Date& d, std::int32_t n) const {
  if (n == 0) return d;
  requireSupported(d);
  // Each step moves at least a day, so the day-by-day walk leaves the range (and
  // throws) within 73050 steps.
  if (!addedHolidays.empty() || !removedHolidays.empty()) return stepDayByDay(d, n);
  const detail::BusinessDayIndex& index = rules_->index();
  // Rank of the target among all business days.
  const std::int64_t k = n > 0 ? std::int64_t{index.count(d.serial())} + n
                               : std::int64_t{index.count(d.serial() - 1)} + n + 1;
  if (k < 1 || k > std::int64_t{index.total()}) throw invalidDateMessage;
  return Date(index.select(static_cast<std::uint32_t>(k)));
}

std::uint32_t Calendar::businessDayCount(const Date& start, const Date& end) const {
  if (end < start) return 0;
  requireSupported(start);
  requireSupported(end);
  const detail::BusinessDayIndex& index = rules_->index();
  std::int64_t n = std::int64_t{index.count(end.serial())} - index.count(start.serial() - 1);
  for (auto it = addedHolidays.lower_bound(start); it != addedHolidays.end() && *it <= end; ++it)
    if (index.isBusinessDay(it->serial())) --n;
  for (auto it = removedHolidays.lower_bound(start); it != removedHolidays.end() && *it <= end; ++it)
    if (addedHolidays.count(*it) == 0 && !index.isBusinessDay(it->serial())) ++n;
  return static_cast<std::uint32_t>(n);
}

std::uint32_t Calendar::holidayCount(const Date& start, const Date& end) const {
  if (end < start) return 0;
  return end.serial() - start.serial() + 1 - businessDayCount(start, end);
}

int Calendar::easterMonday(int year) {
  if (year < Date::firstYear || year > Date::lastYear) throw invalidDateMessage;
  return detail::easterMondays[year - detail::tableFirstYear];
}

}  // namespace QA
