// The object pool on a scripted host: handle names, what each insertion
// frees, lookups, and the per-cell messages.
#include <gtest/gtest.h>

#include <string>

#include "platform/standin.h"
#include "pool/handle_factory.h"

namespace {

// Answers xlfCaller and xlfReftext with the cell the test says is calling.
struct ScriptedCaller : standin::CallHandler {
  std::string cell = "[Book1]Sheet1!$A$1";
  int version() override { return 0x0C00; }
  int call(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]) override {
    switch (xlfn) {
      case xlfCaller:
        result->xltype = xltypeNum;
        result->val.num = 0;
        return xlretSuccess;
      case xlfReftext:
        text_.assign(1, static_cast<char>(cell.size()));
        text_ += cell;
        result->xltype = xltypeStr;
        result->val.str = &text_[0];
        return xlretSuccess;
      case xlFree:
        return xlretSuccess;
      default:
        return xlretInvXlfn;
    }
  }
  std::string text_;
};

class Pool : public ::testing::Test {
 protected:
  Pool() { standin::setCallHandler(&host); }
  ~Pool() override { standin::setCallHandler(nullptr); }

  // The pool is one per process: each test works on handles of its own cells.
  handleFactory& pool = handleFactory::instance();
  ScriptedCaller host;

  std::string insertFrom(const std::string& cell, double value) {
    host.cell = cell;
    return pool.insert(boost::any(value)).text();
  }
  bool holds(const std::string& handle) {
    return !pool.get(handle).empty();
  }
};

TEST_F(Pool, InsertionsFreeWhatTheCellsNoLongerShow) {
  std::string first = insertFrom("[Book1]Sheet1!$A$1", 1);
  size_t count = pool.count();
  // A1 again while it is still the last caller frees nothing.
  std::string second = insertFrom("[Book1]Sheet1!$A$1", 2);
  EXPECT_NE(first, second);
  EXPECT_EQ(pool.count(), count + 1);
  EXPECT_TRUE(holds(first));
  // B1 frees A1's superseded object, keeps A1's current one.
  std::string third = insertFrom("[Book1]Sheet1!$B$1", 3);
  EXPECT_EQ(pool.count(), count + 1);
  EXPECT_EQ(objectFromHandle<double>(second), 2);
  EXPECT_EQ(pool.count(), count + 1);
  // The freed name is drawn before any fresh number.
  std::string fourth = insertFrom("[Book1]Sheet1!$C$1", 4);
  EXPECT_EQ(fourth, first);
  EXPECT_EQ(objectFromHandle<double>(fourth), 4);
  EXPECT_EQ(objectFromHandle<double>(third), 3);
}

TEST_F(Pool, FreedNamesAreReusedFirstInFirstOut) {
  // D1 stores three times; D2's insertion then frees the first two.
  std::string a = insertFrom("[Book1]Sheet1!$D$1", 1);
  std::string b = insertFrom("[Book1]Sheet1!$D$1", 2);
  std::string c = insertFrom("[Book1]Sheet1!$D$1", 3);
  insertFrom("[Book1]Sheet1!$D$2", 4);
  EXPECT_EQ(objectFromHandle<double>(c), 3);
  // The one released first is reused first.
  EXPECT_EQ(insertFrom("[Book1]Sheet1!$D$3", 5), a);
  EXPECT_EQ(insertFrom("[Book1]Sheet1!$D$4", 6), b);
}

TEST_F(Pool, CallerKeysIgnoreLetterCase) {
  std::string h1 = insertFrom("[Book1]Sheet1!$E$1", 1);
  insertFrom("[Book1]Sheet1!$E$2", 1);
  // The same cell in other letters replaces its own object.
  std::string h2 = insertFrom("[BOOK1]SHEET1!$e$1", 2);
  EXPECT_NE(h1, h2);
  EXPECT_TRUE(pool.get(h1).empty());
  host.cell = "[book1]sheet1!$E$1";
  pool.setError("failed");
  ASSERT_NE(pool.error(OPER("[Book1]Sheet1!$E$1")), nullptr);
  EXPECT_EQ(*pool.error(OPER("[BOOK1]Sheet1!$e$1")), "failed");
  host.cell = "[Book1]Sheet1!$E$1";
  pool.clearError();
  EXPECT_EQ(pool.error(OPER("[book1]sheet1!$e$1")), nullptr);
  pool.clearError();  // nothing stored: nothing happens
}

TEST_F(Pool, MessagesOfManyCellsSurviveEachOthersErasure) {
  auto cell = [](int i) { return "[Book1]Sheet2!$H$" + std::to_string(i + 1); };
  for (int i = 0; i < 3000; ++i) {
    host.cell = cell(i);
    pool.setError("failure " + std::to_string(i));
  }
  for (int i = 0; i < 3000; i += 2) {  // every other cell calculates again
    host.cell = cell(i);
    pool.clearError();
  }
  for (int i = 0; i < 3000; ++i) {
    const std::string* m = pool.error(OPER(cell(i)));
    if (i % 2 == 0) {
      EXPECT_EQ(m, nullptr) << i;
    } else {
      ASSERT_NE(m, nullptr) << i;
      EXPECT_EQ(*m, "failure " + std::to_string(i));
    }
  }
  for (int i = 0; i < 3000; i += 2) {  // and fails again
    host.cell = cell(i);
    pool.setError("again");
  }
  EXPECT_EQ(*pool.error(OPER(cell(2998))), "again");
  EXPECT_EQ(*pool.error(OPER(cell(2999))), "failure 2999");
}

TEST_F(Pool, UnknownAndMistypedHandles) {
  size_t count = pool.count();
  try {
    objectFromHandle<double>("#hndl99999");
    FAIL();
  } catch (const boost::bad_any_cast& e) {
    EXPECT_STREQ(e.what(), "boost::bad_any_cast: failed conversion using boost::any_cast");
  }
  EXPECT_EQ(pool.count(), count + 1);  // the lookup left an empty entry
  std::string h = insertFrom("[Book1]Sheet1!$F$1", 1);
  std::string upper = h;
  for (char& c : upper) c = static_cast<char>(std::toupper(c));
  EXPECT_THROW(objectFromHandle<double>(upper), boost::bad_any_cast);
  EXPECT_THROW(objectFromHandle<int>(h), boost::bad_any_cast);
}

TEST_F(Pool, AFailedHostCallStoresNothingAndClearErrorSwallowsIt) {
  standin::setCallHandler(nullptr);  // every host call now fails
  EXPECT_THROW(pool.insert(boost::any(1.0)), std::runtime_error);
  EXPECT_NO_THROW(pool.setError("lost"));
  EXPECT_NO_THROW(pool.clearError());
  standin::setCallHandler(&host);
}

TEST_F(Pool, ManyCallersStayDistinct) {
  // Every cell keeps exactly its own current object.
  std::vector<std::string> handles;
  for (int i = 0; i < 2000; ++i)
    handles.push_back(insertFrom("[Book1]Sheet1!$G$" + std::to_string(i + 1), i));
  size_t count = pool.count();
  for (int i = 0; i < 2000; ++i) EXPECT_EQ(objectFromHandle<double>(handles[i]), i);
  for (int i = 0; i < 2000; ++i)
    EXPECT_EQ(objectFromHandle<double>(insertFrom("[Book1]Sheet1!$G$" + std::to_string(i + 1), -i)), -i);
  EXPECT_EQ(pool.count(), count);
}

}  // namespace
