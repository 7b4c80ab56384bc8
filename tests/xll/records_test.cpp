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

TEST(Records, FunctionDocumentationAndCommandRecords) {
  Args none("R#", "?f", "f");
  EXPECT_EQ(none.array().size(), 10u);
  EXPECT_EQ(none[xll::ArgNames].xltype, xltypeStr);
  EXPECT_EQ(none.key(), 0u);
  none.AddArgument("B", "Spot", "is the spot.").AddArgument("B#", "Strike", "is the strike.");
  EXPECT_EQ(none[xll::ArgType].text(), "R#BB#");
  EXPECT_EQ(none[xll::ArgNames].text(), "Spot, Strike");
  EXPECT_EQ(none[11].text(), "is the strike.");

  Args doc("ZR_Analytical");
  EXPECT_EQ(doc.array().size(), 7u);
  EXPECT_TRUE(doc.isDocumentation());
  EXPECT_EQ(doc.key(), 3038322578u);  // djb2, from Python
  EXPECT_EQ(Args("").key(), 5381u);
  Args command = Args::Command("?xll_macro", "XLL.MACRO");
  EXPECT_FALSE(command.isDocumentation());
  EXPECT_TRUE(command[xll::ArgMacroType] == 2);

  Args many("R#", "?many", "many");
  for (int i = 0; i < 20; ++i) many.AddArgument("B", ("a" + std::to_string(i)).c_str(), "");
  try {
    many.pointers();
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(ensureLine(e), "ensure: \"size() < limits<X>::maxargs\" failed");
  }
}

// Each record as its category name (documentation) or its function text.
std::string nameOf(const xll::AddIn& a) {
  return a.Args()[a.isDocumentation() ? xll::ArgCategory : xll::ArgFunction].text();
}

TEST(Records, ListHoldsEveryRecordInLoadOrder) {
  // The categories of this build and their records, in load order; other
  // families' categories may stand between them.
  const std::vector<std::vector<std::string>> expected = {
      {"ZR_Analytical", "bsopt_create", "bsopt_fv", "bsopt_delta", "bsopt_vega", "bsopt_gamma",
       "bsopt_theta", "bsopt_rho"},
      {"ZR_Business_Calendar", "date_Calendar", "date_AllCalendars", "date_isBusDay",
       "date_isHoliday", "date_isWeekend", "date_calendarName", "date_isEndOfMonth",
       "date_MonthEnd", "date_MonthStart", "date_YearStart", "date_YearEnd", "date_NextBusDay",
       "date_prevBusDay", "date_plusBusDays", "date_holidayCount", "date_BusDayDiff",
       "date_EasterMonday", "date_DaysInMonth", "date_DaysInYear", "date_BusDayConventions",
       "date_Adjust"},
      {"ZR_HouseKeeping", "hf_count", "hf_xllversion", "hf_getError", "XLL.MACRO"},
      {"ZR_Utils", "util_fnsearch", "util_eval", "util_depends", "ALERT.FILTER"},
  };
  const auto& list = xll::AddIn::List();
  size_t at = 0;
  for (const auto& category : expected) {
    while (at < list.size() && nameOf(*list[at]) != category.front()) ++at;
    ASSERT_LE(at + category.size(), list.size()) << category.front();
    for (const std::string& name : category) EXPECT_EQ(nameOf(*list[at++]), name);
  }
  EXPECT_EQ(at, list.size());  // "ALERT.FILTER" is last
  // Every record carries the djb2 key of its category or function text.
  size_t documents = 0;
  for (const xll::AddIn* a : list) {
    if (a->isDocumentation()) ++documents;
    if (a->isDocumentation() || a->Args()[xll::ArgMacroType] == 1) {
      EXPECT_EQ(a->Args().key(), xll::djb2(nameOf(*a).c_str()));
    }
  }
  EXPECT_EQ(documents, xll::HelpDocuments().size());
}

// Introduction and section texts of this build's categories.
const std::map<std::string, std::pair<std::string, std::string>> categoryTexts = {
    {"ZR_Analytical",
     {"Analytical Closed form solution library.", "Analytical Closed form solution library."}},
    {"ZR_Business_Calendar",
     {"This library exports useful business calendar functions.",
      "This library exports useful business calendar functions."}},
    {"ZR_HouseKeeping",
     {"The House keeping function for managing object pool.",
      "The library gives the user more control over the housekeeping functionalities."}},
    {"ZR_Utils",
     {"These are the utility functions.",
      "Assorted platter of utility functions. Check the help on individual functions for more details."}},
};

TEST(HelpDocuments, ExactTexts) {
  size_t checked = 0;
  for (const auto& [category, text] : xll::HelpDocuments()) {
    auto it = categoryTexts.find(category);
    if (it == categoryTexts.end()) continue;  // another family's
    ++checked;
    EXPECT_EQ(text, "<introduction><para>" + it->second.first +
                        "</para>\n</introduction>\n<section><title>Introduction</title>\n<content><para>" +
                        it->second.second + "</para>\n</content>\n</section>\n")
        << category;
  }
  EXPECT_EQ(checked, categoryTexts.size());
}

TEST(HelpDocuments, ElementRendering) {
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
