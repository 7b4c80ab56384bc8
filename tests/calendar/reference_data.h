// Readers of the QuantLib reference files in CALENDAR_DATA_DIR (see
// tools/calendar/make_reference.cpp) and a civil-date conversion independent of QA::Date.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace calendar_reference {

// Serial of the 1900 date system, counting the 29 February 1900 that never was.
inline std::uint32_t serialOf(int y, int m, int d) {
  if (y == 1900 && m == 2 && d == 29) return 60;
  // Days since 1 March of year 0 (proleptic Gregorian), as in days-from-civil.
  y -= m <= 2;
  const int era = y / 400, yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long days = era * 146097L + doe - 693899L;  // 0 on 30 December 1899
  return static_cast<std::uint32_t>(days < 61 ? days - 1 : days);
}

inline std::uint32_t serialOfYmd(int ymd) { return serialOf(ymd / 10000, ymd / 100 % 100, ymd % 100); }

inline std::ifstream openData(const std::string& file) {
  std::ifstream in(std::string(CALENDAR_DATA_DIR) + "/" + file);
  if (!in) throw std::runtime_error("missing reference file " + file);
  return in;
}

// Non-business days of QuantLib's calendar, 1901 to 2099, by serial.
inline std::set<std::uint32_t> quantlibHolidays(const std::string& calendar) {
  std::ifstream in = openData("holidays_" + calendar + ".txt");
  std::set<std::uint32_t> holidays;
  std::set<std::uint32_t> flipped;  // exceptions to the weekend pattern
  bool weekend = true;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string head, item;
    fields >> head;
    if (head == "weekend") {
      fields >> item;
      weekend = item == "yes";
      continue;
    }
    const int year = std::stoi(head);
    while (fields >> item) {
      const int mmdd = std::stoi(item[0] == '+' ? item.substr(1) : item);
      flipped.insert(serialOf(year, mmdd / 100, mmdd % 100));
    }
  }
  for (std::uint32_t s = serialOf(1901, 1, 1); s <= serialOf(2099, 12, 31); ++s) {
    const bool weekendDay = s % 7 <= 1;  // Saturday 0, Sunday 1
    if ((weekend && weekendDay) != (flipped.count(s) != 0)) holidays.insert(s);
  }
  return holidays;
}

// Lines of random_cases.txt by their first word, without it.
inline std::map<std::string, std::vector<std::vector<std::string>>> randomCases() {
  std::ifstream in = openData("random_cases.txt");
  std::map<std::string, std::vector<std::vector<std::string>>> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string kind, item;
    fields >> kind;
    std::vector<std::string> row;
    while (fields >> item) row.push_back(item);
    cases[kind].push_back(row);
  }
  return cases;
}

}  // namespace calendar_reference
