// The object pool and the worksheet-function frame on a scripted host:
// handle names, what each insertion frees, lookups, per-cell messages.
#include <gtest/gtest.h>

#include <string>

#include "bench/scripted_host.h"
#include "platform/fpstate.h"
#include "platform/standin.h"
#include "pool/frame.h"

namespace {

class Pool : public ::testing::Test {
 protected:
  // The pool is one per process: each test works on handles of its own cells.
  handleFactory& pool = handleFactory::instance();
  ScriptedHost host;

  std::string insertFrom(const std::string& cell, double value) {
    host.setCaller(cell);
    return pool.insert(boost::any(value)).text();
  }
};

TEST_F(Pool, InsertionsFreeWhatTheCellsNoLongerShow) {
  std::string first = insertFrom("[Book1]Sheet1!$A$1", 1);
  size_t count = pool.count();
  // A1 again while it is still the last caller frees nothing.
  std::string second = insertFrom("[Book1]Sheet1!$A$1", 2);
  std::string third = insertFrom("[Book1]Sheet1!$A$1", 3);
  EXPECT_EQ(pool.count(), count + 2);
  EXPECT_EQ(objectFromHandle<double>(first), 1);
  // B1 frees A1's superseded objects, keeps A1's current one.
  insertFrom("[Book1]Sheet1!$B$1", 4);
  EXPECT_EQ(pool.count(), count + 1);
  EXPECT_EQ(objectFromHandle<double>(third), 3);
  // Freed names are drawn before any fresh number, first released first.
  EXPECT_EQ(insertFrom("[Book1]Sheet1!$C$1", 5), first);
  EXPECT_EQ(insertFrom("[Book1]Sheet1!$C$2", 6), second);
  // A cell that stores after another cell frees its own previous object.
  std::string again = insertFrom("[Book1]Sheet1!$B$1", 7);
  EXPECT_EQ(pool.count(), count + 3);
  EXPECT_EQ(objectFromHandle<double>(again), 7);
}

TEST_F(Pool, HoldersStayWhereTheyAre) {
  std::string h = insertFrom("[Book1]Sheet3!$A$1", 42);
  boost::any& held = pool.get(h);
  // A name looked up before the pool issues it keeps its holder as well.
  std::string ahead = "#hndl" + std::to_string(std::stoi(h.substr(5)) + 5000);
  boost::any& early = pool.get(ahead);
  int drew = -1;  // the insertion that drew that name
  for (int i = 0; i < 10000; ++i)
    if (insertFrom("[Book1]Sheet3!$B$" + std::to_string(i + 1), i) == ahead) drew = i;
  EXPECT_EQ(&pool.get(h), &held);
  EXPECT_EQ(&pool.get(ahead), &early);
  EXPECT_EQ(boost::any_cast<double>(held), 42);
  EXPECT_EQ(boost::any_cast<double>(early), drew);
}

TEST_F(Pool, CallerKeysIgnoreLetterCase) {
  std::string h1 = insertFrom("[Book1]Sheet1!$E$1", 1);
  insertFrom("[Book1]Sheet1!$E$2", 1);
  insertFrom("[BOOK1]SHEET1!$e$1", 2);  // the same cell replaces its own object
  EXPECT_TRUE(pool.get(h1).empty());
  host.setCaller("[book1]sheet1!$E$1");
  pool.setError("failed");
  EXPECT_EQ(*pool.error(OPER("[BOOK1]Sheet1!$e$1")), "failed");
}

TEST_F(Pool, MessagesOfManyCellsSurviveEachOthersErasure) {
  auto cell = [](int i) { return "[Book1]Sheet2!$H$" + std::to_string(i + 1); };
  for (int i = 0; i < 3000; ++i) {
    host.setCaller(cell(i));
    pool.setError("failure " + std::to_string(i));
  }
  for (int i = 0; i < 3000; i += 2) {
    host.setCaller(cell(i));
    pool.clearError();
  }
  for (int i = 0; i < 3000; ++i) {
    const std::string* m = pool.error(OPER(cell(i)));
    ASSERT_EQ(m ? *m : "", i % 2 ? "failure " + std::to_string(i) : "") << i;
  }
}

TEST_F(Pool, UnknownMistypedAndUnreachable) {
  size_t count = pool.count();
  try {
    objectFromHandle<double>("#hndl99999999");
    FAIL();
  } catch (const boost::bad_any_cast& e) {
    EXPECT_STREQ(e.what(), "boost::bad_any_cast: failed conversion using boost::any_cast");
  }
  EXPECT_EQ(pool.count(), count + 1);  // the lookup left an empty entry
  std::string h = insertFrom("[Book1]Sheet1!$F$1", 1);
  EXPECT_THROW(objectFromHandle<double>("#HNDL" + h.substr(5)), boost::bad_any_cast);
  EXPECT_THROW(objectFromHandle<int>(h), boost::bad_any_cast);
  // Without a host nothing is stored, and clearError swallows the failure.
  standin::setCallHandler(nullptr);
  EXPECT_THROW(pool.insert(boost::any(1.0)), std::runtime_error);
  EXPECT_NO_THROW(pool.clearError());
}

// Runs work(result) in the frame from a cell and gives the result.
template <class Work>
OPER run(ScriptedHost& host, const std::string& cell, Work work,
         const xll::FrameSteps& steps = xll::fullFrame) {
  static OPER result;
  host.setCaller(cell);
  return *static_cast<OPER*>(xll::framed(result, [&] { work(result); }, steps));
}

TEST_F(Pool, FrameStoresEveryKindOfFailureForItsCell) {
  const std::string cell = "[Book1]Sheet4!$A$1";
  auto message = [&] {
    const std::string* m = pool.error(OPER(cell));
    return m ? *m : std::string("none");
  };
  const std::pair<void (*)(OPER&), const char*> failures[] = {
      {[](OPER&) { throw std::runtime_error("standard"); }, "standard"},
      {[](OPER&) { throw std::string("text object"); }, "text object"},
      {[](OPER&) { throw "plain"; }, "plain"},
      {[](OPER&) { throw 42; }, "Unknown Error"},
      {[](OPER&) { throw std::bad_alloc(); }, "bad allocation"},
  };
  for (const auto& [fail, text] : failures) {
    run(host, cell, [](OPER& r) { r = OPER(3, 2); });
    EXPECT_TRUE(run(host, cell, fail) == OPER::error(xlerrValue)) << text;
    EXPECT_EQ(message(), text);
  }
  // A variant that neither clears nor stores keeps the earlier message.
  const xll::FrameSteps quiet{xll::FrameSteps::EmptyResult, false, true, xll::FrameSteps::ValueOnly};
  run(host, cell, [](OPER&) { throw "other"; }, quiet);
  EXPECT_EQ(message(), "bad allocation");
  EXPECT_EQ(run(host, cell, [](OPER& r) { r = "fine"; }).text(), "fine");
  EXPECT_EQ(message(), "none");
}

TEST_F(Pool, FrameSkipsTheWorkInTheFunctionWizard) {
  const std::string cell = "[Book1]Sheet4!$B$1";
  HWND other = standin::createWindow("XLDESK", "", host.mainWindow());
  const struct { const char* windowClass; HWND parent; bool wizard; } windows[] = {
      {"bosa_sdm_XL9", host.mainWindow(), true},   {"BOSA_SDM_xl12", host.mainWindow(), true},
      {"bosa_sdm_XL9", other, false},      {"bosa_sdm", host.mainWindow(), false},
      {"msctls_bosa_sdm_XL9", host.mainWindow(), false},
  };
  for (const auto& w : windows) {
    HWND window = standin::createWindow(w.windowClass, "", w.parent);
    run(host, cell, [](OPER&) { throw "failed"; });
    bool ran = false;
    OPER r = run(host, cell, [&](OPER& result) { ran = true; result = 1.0; });
    EXPECT_EQ(ran, !w.wizard) << w.windowClass;
    EXPECT_EQ(r.text(), w.wizard ? "[No Calc in Wizard]" : "") << w.windowClass;
    EXPECT_EQ(pool.error(OPER(cell)), nullptr);  // the message goes either way
    standin::destroyWindow(window);
  }
}

// Whatever state the caller left set, the work computes in the standard one,
// and the caller has its own back afterwards, also when the work threw.
TEST_F(Pool, FrameComputesInTheStandardFpStateAndGivesTheCallersBack) {
#if !ZR_FP_CONTROL
  GTEST_SKIP() << "no floating-point control state on this processor";
#endif
  const platform::FpState standard;
  auto state = [](uint16_t x87, uint32_t mxcsr) {
    platform::FpState s;
    s.x87 = x87;
    s.mxcsr = mxcsr;
    return s;
  };
  const platform::FpState callers[] = {
      standard,
      state(0x027F, 0x1F80),  // 53 bits
      state(0x007F, 0x1F80),  // 24 bits
      state(0x0F7F, 0x7F80),  // toward zero on both units
      state(0x037F, 0x9FC0),  // flush-to-zero, denormals-are-zero
      state(0x025F, 0x1F80),  // 53 bits, the x87 inexact-result exception unmasked
  };
  const std::string cell = "[Book1]Sheet4!$C$1";
  for (const platform::FpState& caller : callers) {
    for (bool fails : {false, true}) {
      platform::FpState inside;
      {
        platform::FpScope scope(caller);
        run(host, cell, [&](OPER&) {
          inside = platform::currentFpState();
          volatile long double third = 1;
          third = third / 3;  // raises the inexact-result flag on the x87
          if (fails) throw "failed";
        });
        EXPECT_TRUE(platform::currentFpState() == caller) << std::hex << caller.x87 << " " << caller.mxcsr;
      }
      EXPECT_TRUE(inside == standard) << std::hex << inside.x87 << " " << inside.mxcsr;
    }
  }
  EXPECT_TRUE(platform::currentFpState() == standard);
}

}  // namespace
