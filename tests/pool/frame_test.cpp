// The worksheet-function frame and the pool, driven through the simulated
// host by cells of a test add-in.
#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;
using zrtest::isError;

class Frame : public zrtest::HostTest {
 protected:
  void SetUp() override { load(FRAME_XLL); }
  double count() { return host.call("hf_count", {}, "Z999").num; }
};

TEST_F(Frame, PoolFollowsTheCells) {
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(enter("A1", "=t_store(1)").str, "#hndl1");
  EXPECT_EQ(again("A1").str, "#hndl2");
  EXPECT_EQ(count(), 2);  // A1 was the last caller: nothing freed
  EXPECT_EQ(enter("B1", "=t_store(2)").str, "#hndl3");
  EXPECT_EQ(count(), 2);  // #hndl1 freed
  EXPECT_EQ(enter("C1", "=t_store(3)").str, "#hndl1");  // freed names first
  EXPECT_EQ(enter("D1", "=t_read(\"#hndl3\")").num, 2);
  // A cell that stores after another cell frees its own previous object.
  EXPECT_EQ(again("B1").str, "#hndl4");
  EXPECT_EQ(count(), 3);
  EXPECT_TRUE(isError(again("D1"), xlerrValue));
  EXPECT_EQ(errorOf("D1"), "boost::bad_any_cast: failed conversion using boost::any_cast");
}

TEST_F(Frame, SeveralConstructorsInOneCell) {
  EXPECT_EQ(enter("A1", "=t_store2(1)").str, "#hndl2");
  EXPECT_EQ(enter("A2", "=t_read(\"#hndl1\")").num, 1);  // still there
  enter("B1", "=t_store(5)");  // another cell stores: all but A1's last go
  EXPECT_TRUE(isError(again("A2"), xlerrValue));
  EXPECT_EQ(enter("A3", "=t_read(A1)").num, 2);
}

TEST_F(Frame, UnknownHandlesCountAndFail) {
  enter("A1", "=t_store(1)");
  EXPECT_TRUE(isError(enter("B1", "=t_read(\"#hndl99\")"), xlerrValue));
  EXPECT_EQ(errorOf("B1"), "boost::bad_any_cast: failed conversion using boost::any_cast");
  EXPECT_EQ(count(), 2);
  EXPECT_TRUE(isError(enter("B2", "=t_read(\"#HNDL1\")"), xlerrValue));
  EXPECT_EQ(count(), 3);
}

TEST_F(Frame, EveryKindOfFailureIsStoredForItsCell) {
  const char* expected[] = {"standard failure", "text object failure", "plain message failure",
                            "Unknown Error"};
  for (int kind = 1; kind <= 4; ++kind) {
    std::string cell = "A" + std::to_string(kind);
    EXPECT_TRUE(isError(enter(cell, "=t_fail(" + std::to_string(kind) + ")"), xlerrValue));
    EXPECT_EQ(errorOf(cell), expected[kind - 1]);
  }
  // Each cell keeps its own message; a good calculation erases it.
  EXPECT_EQ(enter("A1", "=t_fail(0)").str, "fine");
  EXPECT_EQ(errorOf("A1"), "");
  EXPECT_EQ(errorOf("A2"), "text object failure");
  // A message longer than a host text comes back cut, not lost.
  enter("A5", "=t_fail(5)");
  EXPECT_EQ(errorOf("A5"), std::string(255, 'x'));
}

TEST_F(Frame, ArrayResultThenFailure) {
  host.setCell("A1:C2", "=t_array(2,3,FALSE)");
  host.calculate();
  EXPECT_EQ(host.value("C2").num, 5);
  host.setCell("A1:C2", "=t_array(2,3,TRUE)");
  host.calculate();
  for (const char* cell : {"A1", "B1", "C1", "A2", "B2", "C2"})
    EXPECT_TRUE(isError(host.value(cell), xlerrValue)) << cell;
  // The key of an array formula is its whole range.
  EXPECT_EQ(errorOf("A1:C2"), "array failure");
  EXPECT_EQ(errorOf("A1"), "");
}

TEST_F(Frame, WizardStopsTheWork) {
  enter("A1", "=t_fail(1)");
  HWND wizard = host.openWindow("BOSA_SDM_XL9", "Function Arguments", host.mainWindow());
  EXPECT_EQ(again("A1").str, "[No Calc in Wizard]");
  EXPECT_EQ(enter("B1", "=t_store(1)").str, "[No Calc in Wizard]");
  host.closeWindow(wizard);
  EXPECT_EQ(errorOf("A1"), "");  // the message went, the work did not run
  EXPECT_EQ(count(), 0);
  // Any version of the dialog class, in any letter case.
  host.openWindow("bosa_sdm_xl12", "", host.mainWindow());
  EXPECT_EQ(again("B1").str, "[No Calc in Wizard]");
  host.closeWizard();
}

TEST_F(Frame, WizardUnderAnotherWindowOrAnotherClassDoesNotCount) {
  HWND other = host.openWindow("XLDESK", "", host.mainWindow());
  host.openWindow("bosa_sdm_XL9", "", other);
  host.openWindow("bosa_sdm", "", host.mainWindow());
  host.openWindow("msctls_bosa_sdm_XL9", "", host.mainWindow());
  EXPECT_EQ(enter("A1", "=t_store(1)").str, "#hndl1");
  // A host that cannot give its window computes as usual.
  host.openWizard();
  host.failCall(xlGetHwnd, xlretFailed, true);
  EXPECT_EQ(again("A1").str, "#hndl2");
}

TEST_F(Frame, QuietVariantKeepsTheEarlierMessage) {
  host.setCell("A1", "=t_fail(1)");
  host.calculate();
  host.setCell("A1", "=t_quiet(2)");
  host.calculate();
  EXPECT_TRUE(isError(host.value("A1"), xlerrValue));
  EXPECT_EQ(errorOf("A1"), "standard failure");
}

TEST_F(Frame, HostFailuresNeverEscape) {
  host.failCall(xlfCaller, xlretFailed, true);
  EXPECT_TRUE(isError(enter("A1", "=t_store(1)"), xlerrValue));
  host.clearFailures();
  EXPECT_EQ(again("A1").str, "#hndl1");
  EXPECT_EQ(host.outstanding(), 0);
}

}  // namespace
