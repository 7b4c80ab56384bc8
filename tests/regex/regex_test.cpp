// The regex library against Perl on a generated corpus.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "regex/regex.h"

namespace {

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> f;
  std::stringstream in(line);
  for (std::string x; std::getline(in, x, '\t');) f.push_back(unescape(x));
  if (!line.empty() && line.back() == '\t') f.push_back("");
  return f;
}

// The message a call fails with, "" when it does not fail.
template <class Call>
std::string failure(Call call) {
  try {
    call();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// Values from Perl 5.36 (tools/regex/make_reference.pl).
TEST(Regex, AgreesWithPerlOnCorpus) {
  std::ifstream in(REGEX_DATA_DIR "/perl_reference.tsv");
  ASSERT_TRUE(in) << "no reference file";
  std::vector<std::string> patterns, texts, formats;
  int rows = 0;
  const std::string fewer = "RegexExports::regex_extractn::Fewer than n matches found.";
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = fields(line);
    if (f[0] == "P") patterns.push_back(f.at(2));
    if (f[0] == "T") texts.push_back(f.at(2));
    if (f[0] == "F") formats.push_back(f.at(2));
    if (f[0] != "R") continue;
    ASSERT_EQ(f.size(), 11u) << line;
    ++rows;
    const std::string& s = texts.at(std::stoi(f[1]));
    const std::string& p = patterns.at(std::stoi(f[2]));
    const std::string& format = formats.at(std::stoi(f[3]));
    const int count = std::stoi(f[6]);
    SCOPED_TRACE("text '" + s + "' pattern '" + p + "'");
    EXPECT_EQ(zr::regexMatch(s, p), f[4] == "1");
    EXPECT_EQ(zr::regexSearch(s, p), f[5] == "1");
    EXPECT_EQ(zr::regexReplace(s, p, format), f[10]) << "format '" << format << "'";
    if (count == 0) {
      EXPECT_EQ(failure([&] { zr::regexExtract(s, p); }), "RegexExports::regex_extract::No match found.");
    } else {
      EXPECT_EQ(zr::regexExtract(s, p), f[7]);
      EXPECT_EQ(zr::regexExtractN(s, p, count), f[9]);
    }
    if (count >= 2) {
      EXPECT_EQ(zr::regexExtractN(s, p, 2), f[8]);
    }
    EXPECT_EQ(failure([&] { zr::regexExtractN(s, p, count + 1); }), fewer);
  }
  EXPECT_GT(rows, 2000);
}

TEST(Regex, FailuresAndTheirOrder) {
  // n is tested before the pattern is compiled.
  const std::string nMessage = "RegexExports::regex_extractn::n should be greater than 0";
  EXPECT_EQ(failure([] { zr::regexExtractN("a1b22", "(", 0); }), nMessage);
  EXPECT_EQ(failure([] { zr::regexExtractN("a1b22", "[0-9]+", -5); }), nMessage);
  EXPECT_EQ(failure([] { zr::regexExtractN("a1b22", "[0-9]+", INT32_MIN); }), nMessage);
  // A large n stops with the matches.
  EXPECT_EQ(failure([] { zr::regexExtractN("a1b22", "[0-9]+", INT32_MAX); }),
            "RegexExports::regex_extractn::Fewer than n matches found.");
  // Invalid patterns name the fault with the marker, for every function.
  for (const char* p : {"(", "a[b", "x{2,1}", "*a", "(?<x", "a)", "\\"}) {
    const std::string m = failure([&] { zr::regexSearch("abc", p); });
    EXPECT_NE(m.find(">>>HERE>>>"), std::string::npos) << p << ": " << m;
    EXPECT_EQ(failure([&] { zr::regexReplace("abc", p, "&"); }), m);
    EXPECT_EQ(failure([&] { zr::regexExtractN("abc", p, 1); }), m);
  }
  // Catastrophic backtracking ends, soon, with the library's own error.
  EXPECT_NE(failure([] { zr::regexSearch(std::string(24, 'a') + "b", "(a+)+c"); })
                .find("The complexity of matching the regular expression exceeded predefined bounds."),
            std::string::npos);
  EXPECT_EQ(failure([] { zr::regexMatch(std::string(60, 'x'), "(x+x+)+y"); }),
            "Ran out of stack space trying to match the regular expression.");
}

}  // namespace
