// The regex_* worksheet functions on sheets of the simulated host.
#include <string>
#include <vector>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;
using zrtest::isError;

class RegexSheet : public zrtest::AddinTest {
 protected:
  Value cell(const std::string& formula) {
    last = "B" + std::to_string(++row);
    return enter(last, formula);
  }
  int row = 0;
  std::string last;
};

TEST_F(RegexSheet, Examples) {
  struct Case {
    const char* formula;
    Value expected;
  };
  const Case cases[] = {
      {"=regex_match(\"abc\",\"b\")", Value::boolean(false)},
      {"=regex_search(\"abc\",\"b\")", Value::boolean(true)},
      {"=regex_match(\"ABC\",\"abc\")", Value::boolean(false)},
      {"=regex_match(\"\",\"\")", Value::boolean(true)},
      {"=regex_search(\"xyz\",\"\")", Value::boolean(true)},
      {"=regex_extract(\"a1b22\",\"[0-9]+\")", Value::text("1")},
      {"=regex_extractn(\"a1b22\",\"[0-9]+\",2)", Value::text("22")},
      {"=regex_extract(\"abc\",\"x*\")", Value::text("")},
      {"=regex_extract(\"key=value\",\"(\\w+)=(\\w+)\")", Value::text("key=value")},
      {"=regex_replace(\"a-b-c\",\"-\",\"+\")", Value::text("a+b+c")},
      {"=regex_replace(\"ab\",\"(a)(b)\",\"\\2\\1\")", Value::text("ba")},
      {"=regex_replace(\"ab\",\"(a)(b)\",\"[&]\")", Value::text("[ab]")},
      {"=regex_replace(\"ab\",\"(a)(b)\",\"$1\")", Value::text("$1")},
      {"=regex_replace(\"abc\",\"x\",\"y\")", Value::text("abc")},
      // Numbers reach the functions as their texts.
      {"=regex_match(12.5,\"\\d+\\.\\d\")", Value::boolean(true)},
  };
  for (const Case& c : cases) EXPECT_EQ(cell(c.formula), c.expected) << c.formula << " " << errorOf(last);
}

TEST_F(RegexSheet, FailuresStoreTheirMessage) {
  host.setCell("A1", std::string(200, 'a'));
  const std::string n = "RegexExports::regex_extractn::n should be greater than 0";
  struct Case {
    const char* formula;
    std::string message;
  };
  const Case cases[] = {
      {"=regex_extractn(\"a1b22\",\"[0-9]+\",3)", "RegexExports::regex_extractn::Fewer than n matches found."},
      {"=regex_extractn(\"a1b22\",\"[0-9]+\",0)", n},
      {"=regex_extractn(\"a1b22\",\"(\",-1)", n},
      {"=regex_extract(\"abc\",\"x\")", "RegexExports::regex_extract::No match found."},
      {"=regex_extract(\"abc\",\"(\")",
       "Unmatched marking parenthesis ( or \\(.  The error occurred while parsing the regular "
       "expression: '(>>>HERE>>>'."},
      {"=regex_match(\"abc\",\"abcdefghijklmnopqrstuvwxyz(0123456789abc\")",
       "Unmatched marking parenthesis ( or \\(.  The error occurred while parsing the regular "
       "expression fragment: '3456789abc>>>HERE>>>'."},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(isError(cell(c.formula), xlerrValue)) << c.formula;
    EXPECT_EQ(errorOf(last), c.message) << c.formula;
  }
  // A result over the host's 255 characters.
  EXPECT_TRUE(isError(cell("=regex_replace(A1,\"a\",\"&&\")"), xlerrValue));
  EXPECT_NE(errorOf(last).find("ensure: \"n <= limits<XLOPER>::maxchars\" failed"), std::string::npos);
  // The same cell with good arguments forgets the message.
  host.setCell(last, "=regex_replace(A1,\"a\",\"&\")");
  host.calculate();
  EXPECT_EQ(host.value(last), Value::text(std::string(200, 'a')));
  EXPECT_EQ(errorOf(last), "");
}

TEST_F(RegexSheet, Registration) {
  std::vector<std::string> texts;
  for (const xlsim::Registration& r : host.registrations())
    if (r.category == "ZR_Regex") texts.push_back(r.functionText + " " + r.typeText);
  EXPECT_EQ(texts, (std::vector<std::string>{"regex_match P#C#C#", "regex_search P#C#C#",
                                             "regex_replace P#C#C#C#", "regex_extract P#C#C#",
                                             "regex_extractn P#C#C#J#"}));
  EXPECT_EQ(host.function("regex_replace")->argumentText, "str, regexp, replacement ");
}

}  // namespace
