// Serial dates of the 1900 date system (1900 counted as a leap year).
#pragma once

#include <cstdint>

namespace QA {

// The one refusal text, thrown as a plain `const char*`.
inline constexpr char invalidDateMessage[] = "Invalid input date.";

enum Weekday : int { Sunday = 1, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };

// A serial day number: 1 is 1 January 1900, 60 is 29 February 1900, 0 is the null date.
// Supported dates are serials 1 to 73050 (31 December 2099); the calendar fields of any
// other serial are refused with invalidDateMessage.
class Date {
 public:
  static constexpr std::uint32_t firstSerial = 1;
  static constexpr std::uint32_t lastSerial = 73050;
  static constexpr int firstYear = 1900;
  static constexpr int lastYear = 2099;

  constexpr Date() noexcept = default;
  constexpr explicit Date(std::uint32_t serial) noexcept : serial_(serial) {}

  constexpr std::uint32_t serial() const noexcept { return serial_; }
  constexpr bool isNull() const noexcept { return serial_ == 0; }
  constexpr bool isSupported() const noexcept {
    return serial_ >= firstSerial && serial_ <= lastSerial;
  }

  int year() const;
  int month() const;
  int dayOfMonth() const;
  // Counted in the serial system: from 1 March 1900 on one more than the real day of year.
  int dayOfYear() const;
  int daysInMonth() const;
  int daysInYear() const;

  // Pure arithmetic on the serial, valid for every serial.
  constexpr int weekday() const noexcept {
    const int r = static_cast<int>(serial_ % 7);
    return r == 0 ? Saturday : r;
  }
  constexpr bool isWeekend() const noexcept { return serial_ % 7 <= 1; }

  Date startOfMonth() const;
  Date endOfMonth() const;
  Date startOfYear() const;
  Date endOfYear() const;

  // Year 1900 to 2100, else invalidDateMessage.
  static bool isLeap(int year);
  // Month 1 to 12, else invalidDateMessage.
  static int daysInMonth(int month, bool leap);

  // Day steps wrap like the unsigned serial; the fields check the result.
  Date& operator++() noexcept { ++serial_; return *this; }
  Date operator++(int) noexcept { Date old = *this; ++serial_; return old; }
  Date& operator--() noexcept { --serial_; return *this; }
  Date operator--(int) noexcept { Date old = *this; --serial_; return old; }
  friend Date operator+(Date d, std::int32_t days) noexcept {
    return Date(d.serial_ + static_cast<std::uint32_t>(days));
  }
  friend Date operator-(Date d, std::int32_t days) noexcept {
    return Date(d.serial_ - static_cast<std::uint32_t>(days));
  }

  friend constexpr bool operator==(Date a, Date b) noexcept { return a.serial_ == b.serial_; }
  friend constexpr bool operator!=(Date a, Date b) noexcept { return a.serial_ != b.serial_; }
  friend constexpr bool operator<(Date a, Date b) noexcept { return a.serial_ < b.serial_; }
  friend constexpr bool operator>(Date a, Date b) noexcept { return a.serial_ > b.serial_; }
  friend constexpr bool operator<=(Date a, Date b) noexcept { return a.serial_ <= b.serial_; }
  friend constexpr bool operator>=(Date a, Date b) noexcept { return a.serial_ >= b.serial_; }

 private:
  std::uint32_t serial_ = 0;
};

// Throws invalidDateMessage unless the date is supported.
void requireSupported(const Date& d);

}  // namespace QA
