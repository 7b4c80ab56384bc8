// The regex_* worksheet functions on a sheet of the simulated host.
#include <string>
#include <utility>

#include "tests/support/addin_test.h"

namespace {

class RegexSheet : public zrtest::AddinTest {};

TEST_F(RegexSheet, ExamplesAndFailures) {
  host.setCell("A1", std::string(200, 'a'));
  host.setCell("A2", std::string(24, 'a') + "b");
  host.setCell("A3", std::string(60, 'x'));
  const std::string parenthesis =
      "#VALUE! Unmatched marking parenthesis ( or \\(.  The error occurred while parsing the regular expression";
  // A formula and what it shows, or "#VALUE! " and the start of the message it stores.
  const std::pair<const char*, std::string> cases[] = {
      {"=regex_match(\"abc\",\"b\")", "FALSE"}, {"=regex_search(\"abc\",\"b\")", "TRUE"},
      {"=regex_match(\"ABC\",\"abc\")", "FALSE"}, {"=regex_match(\"\",\"\")", "TRUE"},
      {"=regex_match(12.5,\"\\d+\\.\\d\")", "TRUE"}, {"=regex_extract(\"a1b22\",\"[0-9]+\")", "1"},
      {"=regex_extractn(\"a1b22\",\"[0-9]+\",2)", "22"}, {"=regex_extract(\"abc\",\"x*\")", ""},
      {"=regex_extract(\"key=value\",\"(\\w+)=(\\w+)\")", "key=value"},
      {"=regex_replace(\"a-b-c\",\"-\",\"+\")", "a+b+c"}, {"=regex_replace(\"ab\",\"(a)(b)\",\"\\2\\1\")", "ba"},
      {"=regex_replace(\"ab\",\"(a)(b)\",\"[&]\")", "[ab]"}, {"=regex_replace(\"ab\",\"(a)(b)\",\"$1\")", "$1"},
      {"=regex_replace(A1,\"a\",\"&\")", std::string(200, 'a')},
      {"=regex_extractn(\"a1b22\",\"[0-9]+\",3)", "#VALUE! RegexExports::regex_extractn::Fewer than n matches found."},
      {"=regex_extractn(\"a1b22\",\"(\",0)", "#VALUE! RegexExports::regex_extractn::n should be greater than 0"},
      {"=regex_extract(\"abc\",\"x\")", "#VALUE! RegexExports::regex_extract::No match found."},
      {"=regex_extract(\"abc\",\"(\")", parenthesis + ": '(>>>HERE>>>'."},
      // A bad pattern fails again on its next use: it is not kept as compiled.
      {"=regex_search(\"abc\",\"(\")", parenthesis + ": '(>>>HERE>>>'."},
      {"=regex_match(\"abc\",\"abcdefghijklmnopqrstuvwxyz(0123456789abc\")",
       parenthesis + " fragment: '3456789abc>>>HERE>>>'."},
      {"=regex_extractn(\"a1b22\",\"[0-9]+\",2147483647)", "#VALUE! RegexExports::regex_extractn::Fewer"},
      // Catastrophic backtracking ends soon, with the library's error.
      {"=regex_search(A2,\"(a+)+c\")", "#VALUE! The complexity of matching the regular"},
      {"=regex_replace(A1,\"a\",\"&&\")", "#VALUE! file: "},
  };
  for (const auto& c : cases) {
    const xlsim::Value v = enter("B1", c.first);
    const std::string shows = zrtest::isError(v, xlerrValue) ? "#VALUE! " + errorOf("B1") : v.display();
    const bool failed = c.second.rfind("#VALUE! ", 0) == 0;
    EXPECT_EQ(failed ? shows.substr(0, c.second.size()) : shows, c.second) << c.first;
  }
  // A result over 255 characters fails the host text's length check.
  EXPECT_NE(errorOf("B1").find("ensure: \"n <= limits<XLOPER>::maxchars\" failed"), std::string::npos);
  // Which of the library's bounds stops deep backtracking first depends on
  // the platform's stack (32-bit Windows: the complexity bound).
  EXPECT_TRUE(zrtest::isError(enter("B1", "=regex_match(A3,\"(x+x+)+y\")"), xlerrValue));
  const std::string why = errorOf("B1");
  EXPECT_TRUE(why.rfind("Ran out of stack space trying to match", 0) == 0 ||
              why.rfind("The complexity of matching the regular", 0) == 0)
      << why;
}

}  // namespace
