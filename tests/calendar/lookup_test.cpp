#include <gtest/gtest.h>

#include "calendar/lookup.h"
#include "test_support.h"

using calendar_test::thrownText;

TEST(CalendarNames, ListedNamesInOrder) {
  const std::vector<std::string> expected = {"Switzerland", "Target", "WeekDaysOnly", "NULL", "UK",
                                             "US", "Australia", "Sydney", "LON", "LONDON", "SWF",
                                             "New York", "NYSE"};
  EXPECT_EQ(QA::calendarNames(), expected);
  EXPECT_EQ(QA::calendarNames(), expected);  // unchanged by use
}

TEST(CalendarNames, CreateByNameIgnoringCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"Switzerland", "Switzerland- Stock Exchange"}, {"swf", "Switzerland- Stock Exchange"},
      {"TARGET", "Trans-European Automated Real-time Gross settlement Express Transfer (TARGET) system"},
      {"weekdaysonly", "WeekDays - Sat and Sun Holidays"}, {"", "Null calendar"}, {"null", "Null calendar"},
      {"uk", "London Bank Holidays"}, {"Lon", "London Bank Holidays"}, {"london", "London Bank Holidays"},
      {"us", "United States - NYSE Holidays"}, {"NEW YORK", "United States - NYSE Holidays"},
      {"nyse", "United States - NYSE Holidays"}, {"Australia", "Sydney stock exchange"},
      {"SYDNEY", "Sydney stock exchange"}};
  for (const auto& c : cases) EXPECT_EQ(QA::createCalendar(c.first)->name(), c.second) << c.first;
  for (const std::string& name : QA::calendarNames()) EXPECT_NO_THROW(QA::createCalendar(name)) << name;
}

TEST(CalendarNames, UnknownNamesRefused) {
  for (const char* name : {"LONDON ", " UK", "Zurich", "NewYork", "U", "TARGET2"})
    EXPECT_EQ(thrownText([&] { QA::createCalendar(name); }), "BusinessCalendar::Unknown Calendar") << name;
}

TEST(Conventions, NamesAndCodes) {
  const std::vector<std::string> names = {"Unadjusted", "Preceding", "ModifiedPreceding",
                                          "Following", "ModifiedFollowing", "MonthEndReference"};
  EXPECT_EQ(QA::businessDayConventionNames(), names);
  for (std::size_t code = 0; code < names.size(); ++code)
    EXPECT_EQ(QA::parseBusinessDayConvention(names[code]), static_cast<int>(code));
  EXPECT_EQ(QA::parseBusinessDayConvention("F"), QA::Following);
  EXPECT_EQ(QA::parseBusinessDayConvention("M"), QA::ModifiedFollowing);
  EXPECT_EQ(QA::parseBusinessDayConvention("P"), QA::Preceding);
  EXPECT_EQ(QA::parseBusinessDayConvention("U"), QA::Unadjusted);
  EXPECT_EQ(QA::parseBusinessDayConvention("MP"), QA::ModifiedPreceding);
  EXPECT_EQ(QA::parseBusinessDayConvention("MER"), QA::MonthEndReference);
  for (const char* text : {"following", "f", "mp", "", "Following "})
    EXPECT_EQ(thrownText([&] { QA::parseBusinessDayConvention(text); }),
              "date_Adjust::Unrecognised day conevntion") << text;
}
