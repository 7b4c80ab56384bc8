// Calculation of the sheet: order, dependents, arrays, recalculation, callers,
// uncalculated cells, cycles, long chains, evaluation and the function wizard.
#include <chrono>

#include "tests/host/host_test.h"

using namespace xlsim;
using namespace hosttest;

TEST_F(TestAddin, ReferencedCellsAreCalculatedFirstAndDependentsAfterAChange) {
  host.setCell("A1", "=ta_num(B1)");
  host.setCell("B1", "=ta_num(C1)");
  host.setCell("C1", "3");
  host.setCell("D1", "=ta_count()");
  host.setCell("E1:G1", "=ta_fp(C300:C1)");  // a range reaching far below
  EXPECT_FALSE(host.isCalculated("A1"));
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(12));
  EXPECT_EQ(host.timesCalled("ta_num"), 2);
  // a changed constant recalculates what depends on it, nothing else
  host.setCell("C1", "1");
  host.setCell("C299", "5");
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(4));
  EXPECT_EQ(host.value("D1"), num(1));
  EXPECT_EQ(host.values("E1:G1"), Value::array(1, 3, {num(300), num(1), num(6)}));
  host.clearCell("C299");
  host.calculate();
  EXPECT_EQ(host.value("G1"), num(1));
}

TEST_F(TestAddin, ArrayFormulasFillCutAndRepeat) {
  host.setCell("A1:B3", "=ta_seq(2,2)");  // smaller result: #N/A beyond it
  host.setCell("D1:D2", "=ta_num(2)");    // one value fills the range
  host.setCell("F1:G2", "=ta_seq(1,2)");  // one row repeats downwards
  host.setCell("I1:I1", "=ta_seq(2,2)");  // larger result is cut
  host.setCell("K1:L2", "={1,2;3,4}");
  host.calculate();
  EXPECT_EQ(host.values("A1:B3"), Value::array(3, 2, {num(1), num(2), num(3), num(4), err(xlerrNA), err(xlerrNA)}));
  EXPECT_EQ(host.values("D1:D2"), Value::array(2, 1, {num(4), num(4)}));
  EXPECT_EQ(host.values("F1:G2"), Value::array(2, 2, {num(1), num(2), num(1), num(2)}));
  EXPECT_EQ(host.value("I1"), num(1));
  EXPECT_EQ(host.values("K1:L2"), Value::array(2, 2, {num(1), num(2), num(3), num(4)}));
  EXPECT_EQ(host.timesCalled("ta_seq"), 3);  // once per array formula
  EXPECT_THROW(host.setCell("A2", "5"), std::invalid_argument);  // part of an array
  EXPECT_THROW(host.setCell("A1:B1", "5"), std::invalid_argument);
  host.clearCell("B2");  // the whole array goes
  EXPECT_FALSE(host.isFormula("A1"));
}

TEST_F(TestAddin, CallerIsTheCellOrTheWholeRange) {
  host.setCell("B2", "=ta_caller()");
  host.setCell("D1:E2", "=ta_caller()");
  host.setCell("C3", "=ta_eval(\"=ta_caller()\")");
  host.calculate();
  EXPECT_EQ(host.value("B2"), str("[Book1]Sheet1!$B$2"));
  EXPECT_EQ(host.value("E2"), str("[Book1]Sheet1!$D$1:$E$2"));
  EXPECT_EQ(host.value("C3"), str("[Book1]Sheet1!$C$3"));  // xlfEvaluate keeps the caller
  EXPECT_EQ(host.call("ta_caller", {}, "Z9"), str("[Book1]Sheet1!$Z$9"));
  EXPECT_TRUE(host.call("ta_caller", {}).is(Value::Error));  // no caller
  EXPECT_EQ(host.outstanding(), 0);  // caller and text given back
}

TEST_F(TestAddin, OneCellAgainEverythingAgainAndVolatileCells) {
  host.setCell("A1", "=ta_count()");
  host.setCell("B1", "=ta_count()");
  host.setCell("A2", "=ta_count()");
  host.setCell("C1", "=ta_vol()");
  host.setCell("C2", "=ta_num(C1)");
  host.calculate();
  host.calculate();  // only the volatile cell and what depends on it
  EXPECT_EQ(host.values("A1:C2"), Value::array(2, 3, {num(1), num(2), num(2), num(3), Value::nil(), num(4)}));
  host.calculate("B1");
  EXPECT_EQ(host.values("A1:B2"), Value::array(2, 2, {num(1), num(4), num(3), Value::nil()}));
  host.recalculate();  // row-major order
  EXPECT_EQ(host.values("A1:B2"), Value::array(2, 2, {num(5), num(6), num(7), Value::nil()}));
}

TEST_F(TestAddin, UncalculatedCellIsCalculatedAndTheCallRepeated) {
  host.resetCallCounts();
  host.setCell("A1", "=ta_depends(B1, B1)");
  host.setCell("B1", "=ta_num(2)");
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(4));
  EXPECT_EQ(host.timesCalled("ta_depends"), 2);
  EXPECT_EQ(host.timesCalled("ta_num"), 1);
  EXPECT_EQ(host.callCount(xlCoerce), 2);
  host.calculate("A1");  // once calculated, one call does
  EXPECT_EQ(host.timesCalled("ta_depends"), 3);
  // a returned reference, and a text evaluated, read the cell calculated first
  host.setCell("C1", "=ta_refecho(D1)");
  host.setCell("C2", "=ta_eval(\"ta_num(D1)\")");
  host.setCell("D1", "=ta_num(5)");
  host.calculate();
  EXPECT_EQ(host.value("C1"), num(10));
  EXPECT_EQ(host.value("C2"), num(20));
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(TestAddin, CyclesEndInErrorsAndNeverHang) {
  host.setCell("A1", "=ta_num(B1)");
  host.setCell("B1", "=ta_num(A1)");
  host.setCell("C1", "=ta_num(A1)");
  host.setCell("A2", "=ta_depends(1, A2)");  // waits for itself
  host.setCell("B2", "=ta_num(1)");
  host.setCell("A3", "=A3");
  host.calculate();
  EXPECT_EQ(host.values("A1:C1"), Value::array(1, 3, {err(xlerrRef), err(xlerrRef), err(xlerrRef)}));
  EXPECT_EQ(host.values("A2:B2"), Value::array(1, 2, {err(xlerrRef), num(2)}));
  EXPECT_EQ(host.value("A3"), err(xlerrRef));
  host.setCell("B1", "4");  // the cycle is broken
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(8));
}

TEST_F(TestAddin, LongChainsCalculateWithoutExhaustingTheStack) {
  const int rows = 65536;
  for (int r = 1; r < rows; ++r) host.setCell("A" + std::to_string(r), "=ta_int(A" + std::to_string(r + 1) + ")");
  host.setCell("A" + std::to_string(rows), "0");
  // read through host calls: each cell first meets the next uncalculated
  for (int r = 1; r < 10000; ++r)
    host.setCell("B" + std::to_string(r), "=ta_depends(B" + std::to_string(r + 1) + ",B" + std::to_string(r + 1) + ")");
  host.setCell("B10000", "5");
  auto begin = std::chrono::steady_clock::now();
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(rows - 1));
  EXPECT_EQ(host.value("B1"), num(5));
  EXPECT_LE(host.timesCalled("ta_depends"), 2 * 9999);  // each cell called again once at most
  host.setCell("A" + std::to_string(rows), "10");  // the change reaches the top
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(rows + 9));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 10.0);
}

TEST_F(TestAddin, EvaluationNestsWithinABound) {
  host.setCell("A1", "ta_eval(A1)");  // a text that evaluates itself again
  host.setCell("B1", "=ta_eval(A1)");
  host.setCell("A2", "ta_eval(B2)");  // two texts naming each other
  host.setCell("B2", "ta_eval(A2)");
  host.setCell("C2", "=ta_eval(A2)");
  host.setCell("A3", "=ta_eval(\"ta_eval(\"\"ta_eval(\"\"\"\"ta_num(2)\"\"\"\")\"\")\")");
  host.calculate();
  EXPECT_EQ(host.value("B1"), err(xlerrValue));
  EXPECT_EQ(host.value("C2"), err(xlerrValue));
  EXPECT_EQ(host.value("A3"), num(4));
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(TestAddin, FunctionWizardWindowUnderTheMainWindow) {
  HWND w = host.openWizard();
  char name[32] = "";
  GetClassNameA(w, name, sizeof name);
  EXPECT_EQ(std::string(name), "bosa_sdm_XL9");
  EXPECT_EQ(GetParent(w), host.mainWindow());
  EXPECT_TRUE(host.wizardOpen());
  host.closeWizard();
  EXPECT_FALSE(host.wizardOpen());
}
