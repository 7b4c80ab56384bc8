// The regex library against Perl on a generated corpus.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "regex/regex.h"

namespace {

// The tab-separated fields of a line, %HH escapes undone.
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> f(1);
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\t') f.emplace_back();
    else if (line[i] == '%') f.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)), i += 2;
    else f.back() += line[i];
  }
  return f;
}

// Expected values from Perl 5.36 (tools/regex/make_reference.pl).
TEST(Regex, AgreesWithPerlOnCorpus) {
  std::ifstream in(REGEX_DATA_DIR "/perl_reference.tsv");
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line[0] == '#') continue;
    const std::vector<std::string> f = fields(line);
    ASSERT_EQ(f.size(), 10u) << line;
    const std::string &s = f[0], &p = f[1];
    const int count = std::stoi(f[5]);
    SCOPED_TRACE("text '" + s + "' pattern '" + p + "' format '" + f[2] + "'");
    EXPECT_EQ(ZR::regexMatch(s, p), f[3] == "1");
    EXPECT_EQ(ZR::regexSearch(s, p), f[4] == "1");
    EXPECT_EQ(ZR::regexReplace(s, p, f[2]), f[9]);
    EXPECT_THROW(ZR::regexExtractN(s, p, count + 1), std::runtime_error);
    if (count == 0) {
      EXPECT_THROW(ZR::regexExtract(s, p), std::runtime_error);
      continue;
    }
    EXPECT_EQ(ZR::regexExtract(s, p), f[6]);
    EXPECT_EQ(ZR::regexExtractN(s, p, count), f[8]);
    if (count >= 2) {
      EXPECT_EQ(ZR::regexExtractN(s, p, 2), f[7]);
    }
    ++rows;
  }
  EXPECT_GT(rows, 1000);
}

// Compiled patterns are kept by text and syntax options, and only so many.
TEST(Regex, KeptPatterns) {
  using re = boost::regex;
  const struct {
    const char* pattern;
    re::flag_type flags;
    bool matchesUpperCase;
  } byFlags[] = {
      {"abc", re::perl, false}, {"abc", re::perl | re::icase, true}, {"abc", re::perl, false},
      {"a.c", re::perl | re::icase, true}, {"a.c", re::perl | re::literal, false}, {"a.c", re::perl, false},
  };
  for (const auto& c : byFlags)
    EXPECT_EQ(boost::regex_match("ABC", ZR::compilePattern(c.pattern, c.flags)), c.matchesUpperCase)
        << c.pattern << " " << c.flags;

  for (size_t i = 0; i < 3 * ZR::kKeptPatterns; ++i) ZR::regexSearch("x", "x{" + std::to_string(i) + "}");
  EXPECT_EQ(ZR::keptPatterns(), ZR::kKeptPatterns);
  // A pattern too long to keep still works.
  const std::string longPattern(ZR::kLongestKeptPattern + 1, 'x');
  EXPECT_TRUE(ZR::regexMatch(longPattern, longPattern));
  EXPECT_EQ(ZR::keptPatterns(), ZR::kKeptPatterns);
}

}  // namespace
