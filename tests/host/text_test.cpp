#include "host/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace xlsim;

namespace {

// Obviously correct, exponential matcher for short ASCII strings: does the
// pattern match a prefix of text from j (letter case ignored)?
bool slowMatch(const std::string& p, size_t i, const std::string& t, size_t j) {
  if (i == p.size()) return true;
  if (p[i] == '*') {
    for (size_t k = j; k <= t.size(); ++k)
      if (slowMatch(p, i + 1, t, k)) return true;
    return false;
  }
  if (j == t.size()) return false;
  if (p[i] == '?') return slowMatch(p, i + 1, t, j + 1);
  size_t next = i + 1;
  char want = p[i] == '~' && next < p.size() ? p[next++] : p[i];
  return std::tolower(want) == std::tolower(t[j]) && slowMatch(p, next, t, j + 1);
}

int slowSearch(const std::string& p, const std::string& t, int start) {
  if (start < 1 || size_t(start) > t.size() + 1) return 0;
  for (size_t s = start - 1; s <= t.size(); ++s)
    if (slowMatch(p, 0, t, s)) return int(s + 1);
  return 0;
}

}  // namespace

TEST(TextSearch, AgreesWithABacktrackingMatcher) {
  std::mt19937 rng(12345);
  const char chars[] = "abAB?*~";
  for (int trial = 0; trial < 20000; ++trial) {
    std::string p, t;
    for (int n = rng() % 6; n > 0; --n) p += chars[rng() % 7];
    for (int n = rng() % 9; n > 0; --n) t += chars[rng() % 7];
    int start = int(rng() % (t.size() + 3)) - 1;
    ASSERT_EQ(search(p, t, start), slowSearch(p, t, start)) << "'" << p << "' in '" << t << "' from " << start;
  }
  // characters, not bytes, of UTF-8 text; capitals beyond ASCII fold too
  EXPECT_EQ(search("\xC3\xA9", "CAF\xC3\x89"), 4);
  EXPECT_EQ(search("ca?\xC3\xA9", "xcaf\xC3\xA9"), 2);
  EXPECT_EQ(search("", "abc", 4), 4);
  EXPECT_EQ(search("", "abc", 5), 0);
}

TEST(TextSearch, ManyStarsStayFast) {
  std::string text(200000, 'a');
  auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(search("*a*a*a*a*b", text), 0);
  text += "b";
  EXPECT_EQ(search("*a*a*a*a*b", text), 1);
  EXPECT_EQ(search("a?b", text), 199999);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 5.0);
}

TEST(TextDates, EverySerialIsTheNextDayAndReadsBack) {
  int py = 1900, pm = 1, pd = 1;
  for (int s = 2; s <= 2958465; ++s) {
    int y, m, d;
    ASSERT_TRUE(dateFromSerial(s + 0.75, y, m, d)) << s;  // the time of day is dropped
    bool next = (y == py && m == pm && d == pd + 1) || (y == py && m == pm + 1 && d == 1) ||
                (y == py + 1 && m == 1 && d == 1 && pm == 12 && pd == 31);
    ASSERT_TRUE(next) << s << ": " << y << "-" << m << "-" << d;
    double back;
    ASSERT_TRUE(serialFromDate(y, m, d, back));
    ASSERT_EQ(back, s);
    py = y, pm = m, pd = d;
  }
  EXPECT_EQ(py * 10000 + pm * 100 + pd, 99991231);  // with 29 February 1900 counted
  int y, m, d;
  ASSERT_TRUE(dateFromSerial(60, y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 19000229);
  for (double bad : {-0.5, 2958466.0, std::nan(""), 1e300}) EXPECT_FALSE(dateFromSerial(bad, y, m, d)) << bad;
  double serial;
  const int invalid[][3] = {{2001, 2, 29}, {2100, 2, 29}, {2000, 13, 1},  {2000, 0, 1},
                            {2000, 4, 31}, {2000, 1, 0},  {1899, 12, 31}, {10000, 1, 1}};
  for (const auto& x : invalid) EXPECT_FALSE(serialFromDate(x[0], x[1], x[2], serial)) << x[0] << "-" << x[1];
}

TEST(TextValue, NumbersAndDates) {
  struct Case {
    const char* text;
    double value;
  } accepted[] = {{"1.5", 1.5},          {"-2e3", -2000},       {".5", 0.5},     {"  42  ", 42},
                  {"\t7\t", 7},          {"+3", 3},             {"1.", 1},       {"1E-2", 0.01},
                  {"2000-01-01", 36526}, {"2000-1-1", 36526},   {" 2024-02-29 ", 45351},
                  {"1900-02-29", 60},    {"1e-400", 0}};
  for (const auto& c : accepted) {
    double v = -999;
    ASSERT_TRUE(valueOfText(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  for (const char* text : {"", "   ", "1,000", "abc", "1e", "e5", ".", "-", "1.2.3", "1 2", "1e999", "inf",
                           "nan", "0x1A", "2001-02-29", "2000-13-01", "99-01-01", "2000/01/01", "-2000-01-01",
                           "2000-01-", "12%"}) {
    double v;
    EXPECT_FALSE(valueOfText(text, v)) << text;
  }
  double v;
  EXPECT_FALSE(parseNumber(" 1", v));  // the whole text, no blanks
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
      {12.6, "#", "13"},       {0, "#", ""},            {0.4, "#", ""},          {-12.6, "#", "-13"},
      {12.4, "0", "12"},       {0, "0", "0"},           {0.5, "0", "1"},         {2.5, "0", "3"},
      {-2.5, "0", "-3"},       {9.5, "0", "10"},        {2.675, "0.00", "2.68"}, {1.005, "0.00", "1.01"},
      {99.995, "0.00", "100.00"}, {0.125, "0.00", "0.13"}, {1e20, "0", "100000000000000000000"},
      {123456789.98765433, "0.00", "123456789.99"},      {3, "0.000", "3.000"},   {-0.5, "0.0", "-0.5"},
      {0.5, "#.00", ".50"},    {7, "0.", "7."},         {-0.4, "0", "-0"},       {2.5, "General", "2.5"},
      {2.5, "", "2.5"},        {1.0 / 3, "general", "0.3333333333333333"},      {2.5, "$#,##0", "2.5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(formatNumber(c.x, c.format), c.expected) << c.x << " with '" << c.format << "'";
}

TEST(TextNumber, ShortestFormsReadBackExactly) {
  struct Case {
    double x;
    const char* expected;
  } cases[] = {{-0.0, "0"},         {0.1 + 0.2, "0.30000000000000004"}, {1e20, "100000000000000000000"},
               {1e21, "1e+21"},     {1e-6, "0.000001"},                 {1.5e-7, "1.5e-07"},
               {5e-324, "5e-324"},  {1.7976931348623157e308, "1.7976931348623157e+308"}};
  for (const auto& c : cases) EXPECT_EQ(numberText(c.x), c.expected);
  std::mt19937_64 rng(7);
  for (int i = 0; i < 100000; ++i) {
    uint64_t bits = rng();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    if (!std::isfinite(x)) continue;
    std::string text = numberText(x);
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), x) << text;
    ASSERT_LE(text.size(), numberText17(x).size() + 5) << text;
  }
}

TEST(TextReferences, ColumnsAndAreas) {
  // column names read back as their column, in either case
  for (auto [column, name] : {std::pair{0, "A"}, {25, "Z"}, {26, "AA"}, {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}}) {
    Area a, b;
    std::string lower = name;
    for (char& ch : lower) ch = char(std::tolower(ch));
    EXPECT_EQ(columnName(column), name);
    ASSERT_TRUE(parseArea(std::string(name) + "1", a) && parseArea(lower + "1", b)) << name;
    EXPECT_TRUE(a.col1 == column && b.col1 == column) << name;
  }
  struct Case {
    const char* text;
    Area area;
    const char* absolute;
  } cases[] = {{"c$7", {6, 2, 6, 2}, "$C$7"},
               {"$B$3:A1", {0, 0, 2, 1}, "$A$1:$B$3"},
               {"B1:A3", {0, 0, 2, 1}, "$A$1:$B$3"},
               {"A1:A1", {0, 0, 0, 0}, "$A$1"},
               {"XFD1048576", {1048575, 16383, 1048575, 16383}, "$XFD$1048576"}};
  for (const auto& c : cases) {
    Area a;
    ASSERT_TRUE(parseArea(c.text, a)) << c.text;
    EXPECT_EQ(a, c.area) << c.text;
    EXPECT_EQ(areaText(a), c.absolute);
    std::string relative = c.absolute;
    relative.erase(std::remove(relative.begin(), relative.end(), '$'), relative.end());
    EXPECT_EQ(areaText(a, false), relative);
  }
  Area a;
  for (const char* bad : {"", "A", "AAAA1", ":A1", "A1:B", "A 1", " A1", "$$A1", "A1$", "1A", "A1:B2:C3"})
    EXPECT_FALSE(parseArea(bad, a)) << bad;
}
