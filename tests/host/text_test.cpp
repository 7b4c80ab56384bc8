#include "host/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace xlsim;

namespace {

// Obviously correct, exponential matcher for short strings: does pattern
// match a prefix of text (ASCII, case-insensitive)?
bool slowPrefixMatch(const std::string& p, size_t i, const std::string& t, size_t j) {
  if (i == p.size()) return true;
  if (p[i] == '*') {
    for (size_t k = j; k <= t.size(); ++k)
      if (slowPrefixMatch(p, i + 1, t, k)) return true;
    return false;
  }
  if (j == t.size()) return false;
  if (p[i] == '?') return slowPrefixMatch(p, i + 1, t, j + 1);
  char want = p[i];
  size_t next = i + 1;
  if (want == '~' && next < p.size()) want = p[next++];
  if (std::tolower(want) != std::tolower(t[j])) return false;
  return slowPrefixMatch(p, next, t, j + 1);
}

int slowSearch(const std::string& p, const std::string& t, int start) {
  if (start < 1 || size_t(start) > t.size() + 1) return 0;
  for (size_t s = start - 1; s <= t.size(); ++s)
    if (slowPrefixMatch(p, 0, t, s)) return int(s + 1);
  return 0;
}

}  // namespace

TEST(TextSearch, KnownCases) {
  // Expected positions from Python's re with the wildcards translated.
  struct Case {
    const char* pattern;
    const char* within;
    int start;
    int expected;
  } cases[] = {
      {"b", "abcabc", 1, 2},      {"B", "abcabc", 3, 5},      {"a?c", "xxAbCx", 1, 3},
      {"c*a", "abcabca", 1, 3},   {"*c", "abc", 2, 2},        {"~*", "a*b", 1, 2},
      {"~?", "a?b", 1, 2},        {"a~~b", "xa~b", 1, 2},     {"?", "", 1, 0},
      {"x*y*z", "aXbYcZ", 1, 2},  {"x*y*z", "aXbYc", 1, 0},   {"\xC3\xA9", "CAF\xC3\x89", 1, 4},
      {"ca?\xC3\xA9", "xcaf\xC3\xA9", 1, 2},
      {"~*", "abc", 1, 0},        {"*", "abc", 3, 3},         {"a", "abc", 2, 0},
      {"abcd", "abc", 1, 0},      {"?c", "abc", 1, 2},        {"~", "a~", 1, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(search(c.pattern, c.within, c.start), c.expected)
        << c.pattern << " in " << c.within << " from " << c.start;
}

TEST(TextSearch, EmptyPatternAndStartRange) {
  EXPECT_EQ(search("", "abc"), 1);
  EXPECT_EQ(search("", "abc", 3), 3);
  EXPECT_EQ(search("", "abc", 4), 4);
  EXPECT_EQ(search("", "", 1), 1);
  EXPECT_EQ(search("", "abc", 5), 0);
  EXPECT_EQ(search("", "abc", 0), 0);
  EXPECT_EQ(search("a", "abc", 0), 0);
  EXPECT_EQ(search("a", "abc", -3), 0);
  EXPECT_EQ(search("a", "abc", 9), 0);
}

TEST(TextSearch, AgreesWithBacktrackingMatcher) {
  std::mt19937 rng(12345);
  const char patChars[] = "abAB?*~";
  const char textChars[] = "abAB?*~";
  for (int trial = 0; trial < 20000; ++trial) {
    std::string p, t;
    for (int n = rng() % 6; n > 0; --n) p += patChars[rng() % 7];
    for (int n = rng() % 9; n > 0; --n) t += textChars[rng() % 7];
    int start = int(rng() % (t.size() + 3));
    ASSERT_EQ(search(p, t, start), slowSearch(p, t, start)) << "'" << p << "' in '" << t << "' from " << start;
  }
}

TEST(TextSearch, NoBlowUpOnManyStars) {
  std::string text(200000, 'a');
  auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(search("*a*a*a*a*b", text), 0);
  EXPECT_EQ(search("a*a*a*a*a*a*a*a", text), 1);
  text += "b";
  EXPECT_EQ(search("*a*a*a*a*b", text), 1);
  EXPECT_EQ(search("a?b", text), 199999);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_LT(seconds, 5.0);
}

TEST(TextDates, KnownSerials) {
  // Days after 1899-12-30 from Python's datetime, for dates after February 1900.
  struct Case {
    int y, m, d;
    double serial;
  } cases[] = {
      {1900, 1, 1, 1},        {1900, 1, 31, 31},      {1900, 2, 1, 32},       {1900, 2, 28, 59},
      {1900, 2, 29, 60},      {1900, 3, 1, 61},       {1900, 12, 31, 366},    {1904, 2, 29, 1521},
      {1970, 1, 1, 25569},    {2000, 1, 1, 36526},    {2000, 2, 29, 36585},   {2024, 2, 29, 45351},
      {2100, 3, 1, 73110},    {9999, 12, 31, 2958465},
  };
  for (const auto& c : cases) {
    double serial = -1;
    ASSERT_TRUE(serialFromDate(c.y, c.m, c.d, serial)) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(serial, c.serial);
    int y, m, d;
    ASSERT_TRUE(dateFromSerial(c.serial, y, m, d));
    EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.serial;
  }
}

TEST(TextDates, InvalidDates) {
  double serial;
  struct Case {
    int y, m, d;
  } cases[] = {{2001, 2, 29}, {1900, 2, 30}, {2100, 2, 29}, {2000, 13, 1}, {2000, 0, 1},
               {2000, 4, 31}, {2000, 1, 0},  {2000, 1, 32}, {1899, 12, 31}, {10000, 1, 1},
               {2000, -1, 5}};
  for (const auto& c : cases) EXPECT_FALSE(serialFromDate(c.y, c.m, c.d, serial)) << c.y << "-" << c.m << "-" << c.d;
  EXPECT_TRUE(serialFromDate(2000, 2, 29, serial));
  EXPECT_TRUE(serialFromDate(1600 + 400, 12, 31, serial));
}

TEST(TextDates, SerialEdges) {
  int y = 0, m = 0, d = 0;
  ASSERT_TRUE(dateFromSerial(0, y, m, d));
  EXPECT_EQ(y, 1900);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(d, 0);
  ASSERT_TRUE(dateFromSerial(60, y, m, d));
  EXPECT_EQ(m * 100 + d, 229);
  ASSERT_TRUE(dateFromSerial(36526.99, y, m, d));  // time of day dropped
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
  ASSERT_TRUE(dateFromSerial(2958465.5, y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
  EXPECT_FALSE(dateFromSerial(2958466, y, m, d));
  EXPECT_FALSE(dateFromSerial(-0.5, y, m, d));
  EXPECT_FALSE(dateFromSerial(-1, y, m, d));
  EXPECT_FALSE(dateFromSerial(std::nan(""), y, m, d));
  EXPECT_FALSE(dateFromSerial(1e300, y, m, d));
}

TEST(TextDates, EverySerialIsTheNextDay) {
  int py = 1900, pm = 1, pd = 1;
  for (int s = 2; s <= 2958465; ++s) {
    int y, m, d;
    ASSERT_TRUE(dateFromSerial(s, y, m, d)) << s;
    bool nextDay = y == py && m == pm && d == pd + 1;
    bool nextMonth = y == py && m == pm + 1 && d == 1;
    bool nextYear = y == py + 1 && m == 1 && d == 1 && pm == 12 && pd == 31;
    ASSERT_TRUE(nextDay || nextMonth || nextYear) << s << ": " << y << "-" << m << "-" << d;
    double back;
    ASSERT_TRUE(serialFromDate(y, m, d, back));
    ASSERT_EQ(back, s);
    py = y, pm = m, pd = d;
  }
  EXPECT_EQ(py * 10000 + pm * 100 + pd, 99991231);
}

TEST(TextValue, NumbersAndDates) {
  struct Case {
    const char* text;
    double value;
  } accepted[] = {
      {"1.5", 1.5},        {"-2e3", -2000},   {".5", 0.5},        {"  42  ", 42},   {"\t7\t", 7},
      {"+3", 3},           {"1.", 1},         {"1E-2", 0.01},     {"0", 0},         {"-0.25", -0.25},
      {"2000-01-01", 36526}, {"2000-1-1", 36526}, {" 2024-02-29 ", 45351}, {"1900-02-29", 60},
      {"1e-400", 0},
  };
  for (const auto& c : accepted) {
    double v = -999;
    ASSERT_TRUE(valueOfText(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  for (const char* text : {"", "   ", "1,000", "abc", "1e", "e5", ".", "-", "1.2.3", "1 2", "1e999",
                           "inf", "nan", "0x1A", "2001-02-29", "2000-13-01", "99-01-01", "2000-001-01",
                           "2000/01/01", "-2000-01-01", "2000-01-", "12%"}) {
    double v;
    EXPECT_FALSE(valueOfText(text, v)) << text;
  }
}

TEST(TextParseNumber, WholeTextOnly) {
  double v;
  EXPECT_TRUE(parseNumber("-1.5e+2", v));
  EXPECT_EQ(v, -150);
  EXPECT_FALSE(parseNumber(" 1", v));
  EXPECT_FALSE(parseNumber("1 ", v));
  EXPECT_FALSE(parseNumber("+", v));
  EXPECT_FALSE(parseNumber("--1", v));
}

TEST(TextFormat, Formats) {
  // Expected values from Python's decimal: the number at 15 significant
  // digits, rounded half away from zero.
  struct Case {
    double x;
    const char* format;
    const char* expected;
  } cases[] = {
      {12.6, "#", "13"},         {0, "#", ""},              {0.4, "#", ""},
      {-12.6, "#", "-13"},       {12.4, "0", "12"},         {0, "0", "0"},
      {0.5, "0", "1"},           {2.5, "0", "3"},           {-2.5, "0", "-3"},
      {9.5, "0", "10"},          {2.675, "0.00", "2.68"},   {1.005, "0.00", "1.01"},
      {1234.5678, "0.000", "1234.568"}, {0.0001, "0.00", "0.00"}, {99.995, "0.00", "100.00"},
      {0.125, "0.00", "0.13"},   {0.05, "0.0", "0.1"},      {1e20, "0", "100000000000000000000"},
      {123456789.98765433, "0.00", "123456789.99"},        {3, "0.000", "3.000"},
      {-0.5, "0.0", "-0.5"},     {0.5, "#.00", ".50"},      {7, "0.", "7."},
      {-0.4, "0", "-0"},
      {2.5, "General", "2.5"},   {2.5, "", "2.5"},          {1.0 / 3, "general", "0.3333333333333333"},
      {2.5, "$#,##0", "2.5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(formatNumber(c.x, c.format), c.expected) << c.x << " with '" << c.format << "'";
}

TEST(TextNumber, ShortestForms) {
  struct Case {
    double x;
    const char* expected;
  } cases[] = {
      {0, "0"},                 {-0.0, "0"},
      {1, "1"},                 {-2.5, "-2.5"},
      {0.1, "0.1"},             {0.1 + 0.2, "0.30000000000000004"},
      {123456789, "123456789"}, {9007199254740992.0, "9007199254740992"},
      {1e20, "100000000000000000000"}, {1e21, "1e+21"},
      {1e-6, "0.000001"},       {1.5e-7, "1.5e-07"},
      {1.7976931348623157e308, "1.7976931348623157e+308"}, {5e-324, "5e-324"},
      {1234.5, "1234.5"},       {-0.001, "-0.001"},
  };
  for (const auto& c : cases) EXPECT_EQ(numberText(c.x), c.expected);

  EXPECT_EQ(numberText17(0.1), "0.10000000000000001");
  EXPECT_EQ(numberText17(1), "1");
  EXPECT_EQ(numberText17(-2.5), "-2.5");
}

TEST(TextNumber, ReadsBackExactly) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 100000; ++i) {
    uint64_t bits = rng();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    if (!std::isfinite(x)) continue;
    std::string text = numberText(x);
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), x) << text;
    ASSERT_LE(text.size(), numberText17(x).size() + 5) << text;  // plain layout may add zeros
  }
  for (int i = -1000; i <= 1000; ++i) {
    std::string text = numberText(i / 8.0);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), i / 8.0);
    if (i % 8 == 0) {
      EXPECT_EQ(text.find('.'), std::string::npos) << text;
    }
  }
}

TEST(TextErrors, LiteralsAndCodes) {
  const int codes[] = {0, 7, 15, 23, 29, 36, 42};
  const char* literals[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(errorText(codes[i]), literals[i]);
    EXPECT_EQ(errorCode(literals[i]), codes[i]);
  }
  EXPECT_EQ(errorCode("#value!"), 15);
  EXPECT_EQ(errorText(1), "");
  EXPECT_EQ(errorText(-1), "");
  for (const char* bad : {"", "#", "#N/A ", "#VALUE", "VALUE!", "#NA"}) EXPECT_EQ(errorCode(bad), -1) << bad;
}

TEST(TextReferences, ColumnNames) {
  struct Case {
    int column;
    const char* name;
  } cases[] = {{0, "A"}, {25, "Z"}, {26, "AA"}, {51, "AZ"}, {52, "BA"}, {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}};
  for (const auto& c : cases) EXPECT_EQ(columnName(c.column), c.name);
  // Every column's name reads back as that column, in either case.
  for (int c = 0; c < 16384; ++c) {
    Area a;
    std::string name = columnName(c);
    ASSERT_TRUE(parseArea(name + "1", a)) << name;
    ASSERT_EQ(a.col1, c);
    for (char& ch : name) ch = char(std::tolower(ch));
    ASSERT_TRUE(parseArea(name + "1", a)) << name;
    ASSERT_EQ(a.col1, c);
  }
}

TEST(TextReferences, ParseAndPrintAreas) {
  struct Case {
    const char* text;
    Area area;
    const char* absolute;
    const char* relative;
  } cases[] = {
      {"A1", {0, 0, 0, 0}, "$A$1", "A1"},
      {"$B$3", {2, 1, 2, 1}, "$B$3", "B3"},
      {"c$7", {6, 2, 6, 2}, "$C$7", "C7"},
      {"A1:B3", {0, 0, 2, 1}, "$A$1:$B$3", "A1:B3"},
      {"$B$3:A1", {0, 0, 2, 1}, "$A$1:$B$3", "A1:B3"},
      {"B1:A3", {0, 0, 2, 1}, "$A$1:$B$3", "A1:B3"},
      {"A1:A1", {0, 0, 0, 0}, "$A$1", "A1"},
      {"XFD1048576", {1048575, 16383, 1048575, 16383}, "$XFD$1048576", "XFD1048576"},
  };
  for (const auto& c : cases) {
    Area a;
    ASSERT_TRUE(parseArea(c.text, a)) << c.text;
    EXPECT_EQ(a, c.area) << c.text;
    EXPECT_EQ(areaText(a), c.absolute);
    EXPECT_EQ(areaText(a, false), c.relative);
  }
  for (const char* bad : {"", "A", "1", "A0", "XFE1", "A1048577", "AAAA1", "A1:", ":A1", "A1:B", "A 1",
                          " A1", "A1 ", "$$A1", "A$$1", "A1$", "A-1", "1A", "A1:B2:C3", "A99999999999"}) {
    Area a;
    EXPECT_FALSE(parseArea(bad, a)) << bad;
  }
}
