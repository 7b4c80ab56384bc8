// Every kind and statistic against the mpmath reference table, through the
// simulated host: each cell is the right number or a refusal with a message.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Arg;
using xlsim::Value;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

// strtod, unlike stod, takes a subnormal number.
double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

class StatisticsSweep : public zrtest::AddinTest {};

// Columns: constructor, its arguments, statistic, its argument, the value or
// "refused", relative tolerance, spread (see the file's header).
TEST_F(StatisticsSweep, EveryCellIsTheRightNumberOrARefusal) {
  std::ifstream in(STATISTICS_DATA_DIR "/mpmath_reference.tsv");
  ASSERT_TRUE(in.is_open());
  std::map<std::string, Value> handles;  // one constructor cell per distribution
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = split(line, '\t');
    ASSERT_EQ(f.size(), 7u) << line;
    const std::string distribution = f[0] + "(" + f[1] + ")";
    auto handle = handles.find(distribution);
    if (handle == handles.end()) {
      std::vector<Arg> args;
      for (const std::string& a : split(f[1], ',')) args.emplace_back(number(a));
      const std::string cell = "A" + std::to_string(handles.size() + 1);
      Value made = host.call(f[0], args, cell);
      ASSERT_TRUE(made.is(Value::Text)) << distribution << ": " << errorOf(cell);
      handle = handles.emplace(distribution, made).first;
    }
    std::vector<Arg> args{handle->second};
    if (!f[3].empty()) args.emplace_back(number(f[3]));
    const Value v = host.call(f[2], args, "B1");
    const std::string call = distribution + " " + f[2] + "(" + f[3] + ")";
    if (f[4] == "refused") {
      EXPECT_TRUE(zrtest::isError(v, xlerrValue) && !errorOf("B1").empty()) << call << " = " << v;
    } else {
      const double expected = number(f[4]), tolerance = number(f[5]), spread = number(f[6]);
      EXPECT_TRUE(v.is(Value::Number) &&
                  std::fabs(v.num - expected) <= tolerance * (std::fabs(expected) + spread))
          << call << " = " << v << " " << errorOf("B1") << "; expected " << f[4];
    }
    ++rows;
  }
  EXPECT_GT(rows, 2000);
}

}  // namespace
