// Registration records and the categories' help documents, as the add-in
// builds them at load time (this program links the add-in's code itself).
#include <gtest/gtest.h>

#include <map>

#include "xll/args.h"
#include "xll/category.h"
#include "xll/help.h"
#include "xll/register.h"

namespace {

using xll::Args;

std::string ensureLine(const std::runtime_error& e) {
  std::string s = e.what();
  return s.substr(s.find("ensure: "));
}

TEST(Records, FunctionRecordGrowsWithItsArguments) {
  Args none("R#", "?f", "f");
  EXPECT_EQ(none.array().size(), 10u);
  EXPECT_EQ(none[xll::ArgType].text(), "R#");
  EXPECT_EQ(none[xll::ArgNames].xltype, xltypeStr);
  EXPECT_EQ(none[xll::ArgNames].text(), "");
  EXPECT_EQ(none.key(), 0u);

  Args two("R#", "?bsopt_x", "bsopt_x");
  two.AddArgument("B", "Spot", "is the spot level.").AddArgument("B#", "Strike", "is the strike.");
  EXPECT_EQ(two[xll::ArgType].text(), "R#BB#");
  EXPECT_EQ(two[xll::ArgNames].text(), "Spot, Strike");
  EXPECT_EQ(two.array().size(), 12u);
  EXPECT_EQ(two[11].text(), "is the strike.");
  ASSERT_EQ(two.arguments().size(), 2u);
  EXPECT_EQ(two.arguments()[1].name.text(), "Strike");
}

TEST(Records, DocumentationAndCommandRecords) {
  Args doc("ZR_Analytical");
  EXPECT_EQ(doc.array().size(), 7u);
  EXPECT_TRUE(doc.isDocumentation());
  EXPECT_EQ(doc.key(), 3038322578u);  // djb2, from Python
  EXPECT_EQ(Args("").key(), 5381u);
  EXPECT_EQ(xll::djb2("bsopt_create"), 1130364192u);
  Args command = Args::Command("?xll_macro", "XLL.MACRO");
  EXPECT_FALSE(command.isDocumentation());
  EXPECT_TRUE(command[xll::ArgMacroType] == 2);
  EXPECT_EQ(command[xll::ArgType].xltype, xltypeNil);
}

TEST(Records, TwentyArgumentsAreTooMany) {
  Args args("R#", "?many", "many");
  for (int i = 0; i < 20; ++i) args.AddArgument("B", ("a" + std::to_string(i)).c_str(), "");
  try {
    args.pointers();
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(ensureLine(e), "ensure: \"size() < limits<X>::maxargs\" failed");
  }
}

TEST(Records, ListHoldsEveryRecordInLoadOrder) {
  const auto& list = xll::AddIn::List();
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.back()->Args()[xll::ArgFunction].text(), "ALERT.FILTER");
  // Each category's documentation record carries the category's key.
  size_t documents = 0;
  for (const xll::AddIn* a : list)
    if (a->isDocumentation()) {
      ++documents;
      EXPECT_EQ(a->Args().key(), xll::djb2(a->Args()[xll::ArgCategory]));
    } else if (a->Args()[xll::ArgMacroType] == 1) {
      EXPECT_EQ(a->Args().key(), xll::djb2(a->Args()[xll::ArgFunction]));
    }
  EXPECT_EQ(documents, xll::HelpDocuments().size());
}

// Introduction and section texts of every category.
const std::map<std::string, std::pair<std::string, std::string>> categoryTexts = {
    {"ZR_Analytical",
     {"Analytical Closed form solution library.", "Analytical Closed form solution library."}},
    {"ZR_Business_Calendar",
     {"This library exports useful business calendar functions.",
      "This library exports useful business calendar functions."}},
    {"ZR_DataSource", {"Data Source Library", "Yahoo and Google finance."}},
    {"ZR_BLAS",
     {"The BLAS library provides useful matrix algebra functions.",
      "The library uses Eigen on the back end which is already well established.To begin use the "
      "function mtrx_create to initialise a matrix object."}},
    {"ZR_FileSystem",
     {"The ZR Filesystem library provides useful filesystem functions.",
      "The library uses filesystem library of boost at the back end.The library exports various "
      "useful filesystem operation functions."}},
    {"ZR_HouseKeeping",
     {"The House keeping function for managing object pool.",
      "The library gives the user more control over the housekeeping functionalities."}},
    {"ZR_Regex",
     {"The ZR Regex library provides useful Regular expression functions.",
      "The library uses Regular expression library of boost at the back end.The library exports "
      "various useful Regex operation functions."}},
    {"ZR_SQL",
     {"ZR SQL library.", "The functions in this library are useful for manipulating tabular data."}},
    {"ZR_Statistics",
     {"The ZR Statistics library provides useful statistics functions.",
      "The library uses statistics library of boost at the back end."}},
    {"ZR_Utils",
     {"These are the utility functions.",
      "Assorted platter of utility functions. Check the help on individual functions for more "
      "details."}},
};

TEST(HelpDocuments, ExactTextsOfEveryLoadedCategory) {
  ASSERT_GE(xll::HelpDocuments().size(), 3u);
  for (const auto& [category, text] : xll::HelpDocuments()) {
    auto it = categoryTexts.find(category);
    ASSERT_NE(it, categoryTexts.end()) << category;
    EXPECT_EQ(text, "<introduction><para>" + it->second.first +
                        "</para>\n</introduction>\n<section><title>Introduction</title>\n"
                        "<content><para>" +
                        it->second.second + "</para>\n</content>\n</section>\n")
        << category;
  }
}

TEST(HelpDocuments, ElementRendering) {
  EXPECT_EQ(xll::XmlElement("br").str(), "<br />\n");
  EXPECT_EQ(xll::XmlElement("a").attribute("href", "x").str(), "<a href=\"x\" />\n");
  EXPECT_EQ(xll::XmlElement().add("one").add("two").str(), "onetwo");
  xll::XmlConceptualDocument doc("intro", "sum");
  xll::XmlSection(doc, "", "text");
  EXPECT_EQ(doc.str(),
            "<summary><para>sum</para>\n</summary>\n<introduction><para>intro</para>\n"
            "</introduction>\n<section><content><para>text</para>\n</content>\n</section>\n");
  EXPECT_EQ(doc.type(), "developerConceptualDocument");
}

}  // namespace
