// Read-only date tables and unchecked field arithmetic behind QA::Date.
#pragma once

#include <array>
#include <cstdint>

namespace QA::detail {

constexpr int tableFirstYear = 1900;
constexpr int tableLastYear = 2100;  // year tables carry 2100 for the year correction
constexpr int easterLastYear = 2099;

constexpr bool gregorianLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Leap flags, 1900 to 2100; 1900 counts as a leap year.
constexpr std::array<std::uint8_t, 201> makeLeapFlags() {
  std::array<std::uint8_t, 201> flags{};
  for (int y = tableFirstYear; y <= tableLastYear; ++y)
    flags[y - tableFirstYear] = (y == 1900 || gregorianLeap(y)) ? 1 : 0;
  return flags;
}
inline constexpr std::array<std::uint8_t, 201> leapFlags = makeLeapFlags();

// Serial of the last day of the previous year, 1900 to 2100.
constexpr std::array<std::int32_t, 201> makeYearOffsets() {
  std::array<std::int32_t, 201> offsets{};
  std::int32_t total = 0;
  for (int y = tableFirstYear; y <= tableLastYear; ++y) {
    offsets[y - tableFirstYear] = total;
    total += leapFlags[y - tableFirstYear] ? 366 : 365;
  }
  return offsets;
}
inline constexpr std::array<std::int32_t, 201> yearOffsets = makeYearOffsets();

// Days before month m (index m - 1); entry 13 is the year's length.
inline constexpr std::int32_t monthOffsets[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
inline constexpr std::int32_t monthLengths[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Easter Monday as a day of year of the serial system, 1900 to 2099: Gregorian
// Easter Sunday (anonymous Gregorian computus) plus one day.
constexpr std::array<std::int32_t, 200> makeEasterMondays() {
  std::array<std::int32_t, 200> days{};
  for (int y = tableFirstYear; y <= easterLastYear; ++y) {
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    days[y - tableFirstYear] = monthOffsets[leapFlags[y - tableFirstYear]][month - 1] + day + 1;
  }
  return days;
}
inline constexpr std::array<std::int32_t, 200> easterMondays = makeEasterMondays();

static_assert(yearOffsets[1901 - 1900] == 366 && yearOffsets[1902 - 1900] == 731);
static_assert(yearOffsets[2099 - 1900] == 72685 && yearOffsets[2100 - 1900] == 73050);
static_assert(leapFlags[0] == 1 && leapFlags[2000 - 1900] == 1 && leapFlags[2100 - 1900] == 0);
static_assert(easterMondays[0] == 107 && easterMondays[1901 - 1900] == 98);
static_assert(easterMondays[2000 - 1900] == 115 && easterMondays[2079 - 1900] == 114);
static_assert(easterMondays[2099 - 1900] == 103);

struct Fields {
  int year;
  int month;
  int day;        // day of month
  int dayOfYear;  // serial-system day of year
  int leap;       // leap flag of the year
};

// Fields of a serial from 1 to 73050; no check.
inline Fields fieldsOf(std::uint32_t serial) {
  int y = static_cast<int>(serial / 365) + tableFirstYear;
  if (static_cast<std::int32_t>(serial) <= yearOffsets[y - tableFirstYear]) --y;
  const int leap = leapFlags[y - tableFirstYear];
  const int t = static_cast<int>(serial) - yearOffsets[y - tableFirstYear];
  const std::int32_t* offset = monthOffsets[leap];
  int m = t / 30 + 1;  // offset(m) is offset[m - 1]
  while (t <= offset[m - 1]) --m;
  while (t > offset[m]) ++m;
  return {y, m, t - offset[m - 1], t, leap};
}

}  // namespace QA::detail
