// Calculation of the sheet: order, arrays, recalculation, callers, uncalculated
// cells, cycles, volatility and the function wizard.
#include "tests/host/host_test.h"

using namespace xlsim;
using namespace hosttest;

TEST_F(TestAddin, ReferencedCellsAreCalculatedFirst) {
  host.setCell("A1", "=ta_num(B1)");
  host.setCell("B1", "=ta_num(C1)");
  host.setCell("C1", "3");
  EXPECT_FALSE(host.isCalculated("A1"));
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(12));
  EXPECT_EQ(host.value("B1"), num(6));
  EXPECT_EQ(host.timesCalled("ta_num"), 2);
  // a changed constant recalculates what depends on it, nothing else
  host.setCell("D1", "=ta_count()");
  host.calculate();
  host.setCell("C1", "1");
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(4));
  EXPECT_EQ(host.value("D1"), num(1));
  // bare constants, references and unknown names
  EXPECT_EQ(enter("E1", "=B1"), num(2));
  EXPECT_EQ(enter("E2", "=\"x\""), str("x"));
  EXPECT_EQ(enter("E3", "=nothing(1)"), err(xlerrName));
  EXPECT_EQ(enter("E4", "=ta_num(ta_num(1))"), num(4));
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

TEST_F(TestAddin, OneCellAgainAndEverythingAgain) {
  host.setCell("A1", "=ta_count()");
  host.setCell("B1", "=ta_count()");
  host.setCell("A2", "=ta_count()");
  host.calculate();
  EXPECT_EQ(host.values("A1:B2"), Value::array(2, 2, {num(1), num(2), num(3), Value::nil()}));
  host.calculate();  // nothing changed, nothing volatile
  host.calculate("B1");
  EXPECT_EQ(host.values("A1:B2"), Value::array(2, 2, {num(1), num(4), num(3), Value::nil()}));
  host.recalculate();
  EXPECT_EQ(host.values("A1:B2"), Value::array(2, 2, {num(5), num(6), num(7), Value::nil()}));
}

TEST_F(TestAddin, VolatileFunctionsRecalculateEveryTime) {
  host.setCell("A1", "=ta_vol()");
  host.setCell("B1", "=ta_num(A1)");
  host.setCell("C1", "=ta_count()");
  host.calculate();
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(2));
  EXPECT_EQ(host.value("B1"), num(4));  // depends on a volatile cell
  EXPECT_EQ(host.value("C1"), num(1));
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
  // once calculated, one call does
  host.calculate("A1");
  EXPECT_EQ(host.timesCalled("ta_depends"), 3);
  // a returned reference shows the value of the cell, calculated first
  host.setCell("C1", "=ta_refecho(D1)");
  host.setCell("D1", "=ta_num(5)");
  host.calculate();
  EXPECT_EQ(host.value("C1"), num(10));
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(TestAddin, CyclesEndInErrorsAndNeverHang) {
  host.setCell("A1", "=ta_num(B1)");
  host.setCell("B1", "=ta_num(A1)");
  host.setCell("C1", "=ta_num(A1)");
  host.setCell("A2", "=ta_depends(1, A2)");  // waits for itself
  host.setCell("B2", "=ta_num(1)");
  host.calculate();
  EXPECT_EQ(host.value("A1"), err(xlerrRef));
  EXPECT_EQ(host.value("B1"), err(xlerrRef));
  EXPECT_EQ(host.value("C1"), err(xlerrRef));
  EXPECT_EQ(host.value("A2"), err(xlerrRef));
  EXPECT_EQ(host.value("B2"), num(2));
  host.setCell("B1", "4");  // the cycle is broken
  host.calculate();
  EXPECT_EQ(host.value("A1"), num(8));
}

TEST_F(TestAddin, FunctionWizardWindow) {
  EXPECT_EQ(enter("A1", "=ta_wizard()"), boolean(false));
  host.openWizard();
  EXPECT_TRUE(host.wizardOpen());
  host.calculate("A1");
  EXPECT_EQ(host.value("A1"), boolean(true));
  host.closeWizard();
  HWND elsewhere = host.openWindow("bosa_sdm_XL9", "", host.openWindow("Other", "", nullptr));
  host.calculate("A1");
  EXPECT_EQ(host.value("A1"), boolean(false));  // not under the main window
  host.closeWindow(elsewhere);
}
