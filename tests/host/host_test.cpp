// Loading, registration, argument layouts and the host functions.
#include <dlfcn.h>

#include <fstream>

#include "host/fp_state.h"
#include "tests/host/host_test.h"

using namespace xlsim;
using namespace hosttest;

namespace {

// Calls a host function from the test, as the add-in would; a reference to
// the area comes first when one is given.
struct HostCall {
  int code = 0;
  xloper result{};
  HostCall(int xlfn, std::vector<Value> args, const Area* area = nullptr, bool multi = false) {
    std::vector<HostOper> opers;
    if (area) opers.push_back(HostOper::reference(*area, multi));
    for (auto& a : args) opers.emplace_back(a);
    std::vector<LPXLOPER> ptrs;
    for (auto& o : opers) ptrs.push_back(o.get());
    result.xltype = xltypeMissing;
    code = Excel4v(xlfn, &result, static_cast<int>(ptrs.size()), ptrs.data());
  }
  Value value() const { return toValue(result); }
  ~HostCall() {
    if (code == xlretSuccess) Excel4(xlFree, nullptr, 1, &result);
  }
};

Value hostCall(int xlfn, std::vector<Value> args, const Area* area = nullptr, bool multi = false) {
  return HostCall(xlfn, std::move(args), area, multi).value();
}

}  // namespace

TEST_F(TestAddin, RegistersWhatTheAddinPassesInOrder) {
  const auto& regs = host.registrations();
  ASSERT_EQ(regs.size(), 25u);
  EXPECT_EQ(standin::disableThreadLibraryCallsCount(), 1);  // DllMain ran
  EXPECT_EQ(host.outstanding(), 0);  // the add-in gave its module name back
  const Registration& first = regs[0];
  EXPECT_EQ(first.elements[0], str(host.addinPath()));
  EXPECT_EQ((std::vector<std::string>{first.procedure, first.typeText, first.functionText, first.argumentText,
                                      first.category, first.functionHelp, first.argumentHelp.at(0)}),
            (std::vector<std::string>{"ta_bool", "AA", "ta_bool", "Flag", "Test", "ta_bool for tests.",
                                      "first argument."}));
  EXPECT_EQ(first.result, num(first.id));
  EXPECT_NE(regs[0].id, regs[1].id);
  // '?' and '@' in exported names; a command; procedures not exported or not there
  EXPECT_TRUE(host.procedure("?ta_q")->active() && host.procedure("ta_at@4")->active());
  EXPECT_EQ(host.function("TA.cmd")->macroType, 2);
  EXPECT_TRUE(host.function("ta_vol")->isVolatile());
  for (const char* p : {"ta_hidden", "ta_missing"}) {
    EXPECT_EQ(host.procedure(p)->result, err(xlerrValue)) << p;
    EXPECT_EQ(host.function(p), nullptr);
  }
}

TEST_F(TestAddin, RegisterIdUnregisterAndRemove) {
  const Registration* num = host.function("ta_num");
  ASSERT_NE(num, nullptr);
  EXPECT_EQ(hostCall(xlfRegisterId, {str(host.addinPath()), str("ta_num")}), hosttest::num(num->id));
  EXPECT_EQ(hostCall(xlfRegisterId, {str(host.addinPath()), str("nothing")}), err(xlerrValue));
  EXPECT_EQ(hostCall(xlfUnregister, {hosttest::num(num->id)}), boolean(true));
  EXPECT_EQ(hostCall(xlfUnregister, {hosttest::num(num->id)}), boolean(false));
  EXPECT_EQ(host.function("ta_num"), nullptr);
  EXPECT_EQ(formula("=ta_num(1)"), err(xlerrName));

  host.resetCallCounts();
  host.unload(true);  // xlAutoRemove unregisters every id it got
  EXPECT_EQ(host.callCount(xlfUnregister), 23);
  EXPECT_FALSE(host.loaded());
  for (const auto& r : host.registrations()) EXPECT_FALSE(r.active()) << r.procedure;
}

// The host's list of registrations grows and moves while the procedure that
// registers runs; nothing of the call may be read from where it was.
TEST_F(TestAddin, AProcedureRegistersAndUnregistersDuringItsOwnCall) {
  EXPECT_EQ(enter("A1", "=ta_register(100)"), num(100));
  EXPECT_EQ(enter("A2", "=ta_lazy100(4)"), num(8));
  // the outer call is found again once its argument has registered more
  EXPECT_EQ(enter("A3", "=ta_num(ta_register(3))"), num(6));
  EXPECT_EQ(host.timesCalled("ta_register"), 2);
  EXPECT_EQ(enter("A4", "=ta_unregister()"), num(104));  // the lazy ones and itself
  EXPECT_EQ(host.timesCalled("ta_unregister"), 1);
  EXPECT_EQ(formula("=ta_lazy1(4)"), err(xlerrName));
  EXPECT_EQ(formula("=ta_unregister()"), err(xlerrName));
  EXPECT_EQ(formula("=ta_num(4)"), num(8));
}

TEST(HostLoad, EveryLoadStartsWithFreshStaticState) {
  standin::reset();
  {
    Host host;
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(host.load(TESTADDIN));
      EXPECT_EQ(host.call("ta_vol", {}), num(1)) << "round " << round;
      EXPECT_EQ(host.call("ta_vol", {}), num(2));
      host.unload();
      EXPECT_EQ(dlopen(TESTADDIN, RTLD_LAZY | RTLD_NOLOAD), nullptr);
    }
    EXPECT_THROW(Host(), std::logic_error);  // one live host at a time
    std::string error;
    EXPECT_FALSE(host.load("/nonexistent/addin.xll", &error));
    EXPECT_FALSE(error.empty());
  }
  // a module that stays mapped: the host loads a private copy instead
  void* pinned = dlopen(TESTADDIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(pinned, nullptr);
  reinterpret_cast<double (*)()>(dlsym(pinned, "ta_vol"))();
  Host host;
  ASSERT_TRUE(host.load(TESTADDIN));
  std::string copy = host.addinPath();
  EXPECT_NE(copy, host.requestedPath());
  EXPECT_EQ(copy.substr(copy.size() - 4), ".xll");
  EXPECT_EQ(host.call("ta_vol", {}), num(1));
  EXPECT_EQ(hostCall(xlfRegisterId, {str(copy), str("ta_vol")}), num(host.function("ta_vol")->id));
  host.unload();
  EXPECT_FALSE(std::ifstream(copy).good());  // the copy is removed
  dlclose(pinned);
}

// xlhost --fpstate: the add-in's calls and hooks run in the state asked for,
// and the host is back in its own after each.
TEST(HostFpState, CallsAndHooksRunInTheStateAskedFor) {
#if !ZR_FP_CONTROL
  GTEST_SKIP() << "no floating-point control state on this processor";
#endif
  const struct {
    const char* given;
    double x87, mxcsr;
  } cases[] = {
      {"53", 0x027F, 0x1F80},         {"24", 0x007F, 0x1F80}, {"towardzero", 0x0F7F, 0x7F80},
      {"ftz", 0x037F, 0x9F80},        {"daz", 0x037F, 0x1FC0}, {"24,towardzero,ftz,daz", 0x0C7F, 0xFFC0},
  };
  const platform::FpState own = platform::currentFpState();
  platform::FpState state;
  for (const auto& c : cases) {
    standin::reset();
    ASSERT_TRUE(parseFpState(c.given, state)) << c.given;
    setAddinFpState(&state);
    Host host;
    ASSERT_TRUE(host.load(TESTADDIN));
    EXPECT_TRUE(platform::currentFpState() == own) << c.given;
    Value seen = host.call("ta_fpstate", {});
    ASSERT_TRUE(seen.is(Value::Array)) << c.given;
    EXPECT_EQ(seen.elements, (std::vector<Value>{num(c.x87), num(c.mxcsr), num(c.x87), num(c.mxcsr)})) << c.given;
    EXPECT_TRUE(platform::currentFpState() == own) << c.given;
    setAddinFpState(nullptr);
    EXPECT_EQ(host.call("ta_fpstate", {}).elements.at(0), num(own.x87)) << c.given;
  }
  for (const char* bad : {"", "64", "53,,ftz", "FTZ", "nearest"}) EXPECT_FALSE(parseFpState(bad, state)) << bad;
}

TEST_F(TestAddin, ArgumentAndResultLetters) {
  host.setCell("C1", "7");
  struct Case {
    const char* formula;
    Value shown;
  } cases[] = {
      // A, B, J: Booleans, numbers, number texts, errors, omitted and empty
      {"=ta_bool(5)", boolean(true)}, {"=ta_bool(\"true\")", boolean(true)}, {"=ta_bool()", boolean(false)},
      {"=ta_num(\"2\")", num(4)}, {"=ta_num(\"abc\")", err(xlerrValue)},
      {"=ta_num(#N/A)", err(xlerrNA)}, {"=ta_num()", num(0)}, {"=ta_num(Z9)", num(0)}, {"=ta_num(C1)", num(14)},
      {"=ta_int(41.9)", num(42)}, {"=ta_int(-3)", num(-2)}, {"=ta_int(1E10)", err(xlerrValue)},
      // C, F: texts of every kind; F's buffer is the function's own
      {"=ta_cstr(12.5)", str("[12.5]")}, {"=ta_cstr(TRUE)", str("[TRUE]")}, {"=ta_cstr()", str("[]")},
      {"=ta_cstr(#DIV/0!)", err(xlerrDiv0)}, {"=ta_buf(\"abc\")", str("ABC")},
      // K from constants; P and R: the kind the function sees
      {"=ta_fp({1,2,3;4,5,6})", num(2)}, {"=ta_fp()", err(xlerrValue)}, {"=ta_kind()", num(xltypeMissing)},
      {"=ta_kind(Z1)", num(xltypeNil)}, {"=ta_kind(C1:D1)", num(xltypeMulti)}, {"=ta_ref(5)", str("value 1")},
      {"=ta_ref()", str("value 128")}, {"=ta_ref(B1:C3)", str("sref 0 2 1 2")},
      {"=ta_q()", num(42)}, {"=TA_AT(1)", num(1.5)}, {"=ta_num(1, 2)", err(xlerrValue)},
      // a number that is not finite shows #NUM!, however it is returned
      {"=ta_num(1E308)", err(xlerrNum)}, {"=ta_sqrt(-1)", err(xlerrNum)}, {"=ta_sqrt(4)", num(2)},
  };
  for (const auto& c : cases) EXPECT_EQ(enter("A1", c.formula), c.shown) << c.formula;
  EXPECT_EQ(host.call("ta_buf", {str(std::string(300, 'x'))}), str(std::string(255, 'X')));
  host.setCell("B1:D1", "=ta_fp({1E308,1E308})");
  host.calculate();
  EXPECT_EQ(host.values("B1:D1"), Value::array(1, 3, {num(1), num(2), err(xlerrNum)}));
}

TEST_F(TestAddin, ArraysAndReferencesFromCells) {
  host.setCell("B1", "1");
  host.setCell("B2", "=ta_num(5)");
  host.setCell("C1", "text");
  EXPECT_EQ(host.call("ta_fp", {Arg::ref("B1:B3")}), Value::array(1, 3, {num(3), num(1), num(11)}));
  host.setCell("B3", "x");
  EXPECT_EQ(host.call("ta_fp", {Arg::ref("B1:B3")}), err(xlerrValue));
  host.setCell("B3", "#NUM!");
  EXPECT_EQ(host.call("ta_fp", {Arg::ref("B1:B3")}), err(xlerrNum));
  EXPECT_EQ(host.call("ta_echo", {Arg::ref("B1:C2")}),
            Value::array(2, 2, {num(1), str("text"), num(10), Value::nil()}));
  EXPECT_EQ(host.call("ta_ref", {Arg::ref("B2")}), str("sref 1 1 1 1"));
  EXPECT_TRUE(host.invoke("ta_refecho", {Arg::ref("B2")}).isReference);  // invoke keeps it
}

TEST_F(TestAddin, TextAndDateFunctions) {
  struct Case {
    int xlfn;
    std::vector<Value> args;
    Value result;
  } cases[] = {
      {xlfSearch, {str(".?ll"), str("/a/b/zr.xll")}, num(8)},   {xlfSearch, {str("x"), str("abc")}, err(xlerrValue)},
      {xlfValue, {str(" 2000-01-01 ")}, num(36526)},            {xlfValue, {boolean(true)}, err(xlerrValue)},
      {xlfText, {num(3.14159), str("0.00")}, str("3.14")},      {xlfDay, {num(60)}, num(29)},
      {xlfMonth, {num(60)}, num(2)},                            {xlfYear, {num(-1)}, err(xlerrNum)},
      {xlfLeft, {str("abcdef"), num(3)}, str("abc")},           {xlfLeft, {str("abcdef")}, str("a")},
      {xlfConcatenate, {str("a"), num(1.5), str("b")}, str("a1.5b")},
      {xlfConcatenate, {str(std::string(200, 'a')), str(std::string(56, 'b'))}, err(xlerrValue)},
      {xlfEvaluate, {str("{1,2;3,4}")}, Value::array(2, 2, {num(1), num(2), num(3), num(4)})},
      {xlfEvaluate, {str("=ta_num(4)")}, num(8)},               {xlfEvaluate, {str("=ta_num(")}, err(xlerrValue)},
  };
  for (const auto& c : cases) EXPECT_EQ(hostCall(c.xlfn, c.args), c.result) << c.xlfn;
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(TestAddin, ReferenceFunctions) {
  host.setCell("A1", "1");
  host.setCell("A2", "2.5");
  const Area cell{0, 0, 0, 0}, range{0, 0, 2, 1};
  const Value nil = Value::nil();
  EXPECT_EQ(hostCall(xlfReftext, {boolean(true)}, &cell), str("[Book1]Sheet1!$A$1"));
  EXPECT_EQ(hostCall(xlfReftext, {boolean(true)}, &range, true), str("[Book1]Sheet1!$A$1:$B$3"));
  EXPECT_EQ(hostCall(xlfReftext, {boolean(false)}, &range, true), str("[Book1]Sheet1!R1C1:R3C2"));
  EXPECT_EQ(hostCall(xlSheetNm, {}, &cell), str("[Book1]Sheet1"));
  EXPECT_EQ(HostCall(xlSheetNm, {boolean(true)}).code, xlretInvXloper);
  // coerce: values of a range, and a type mask
  EXPECT_EQ(hostCall(xlCoerce, {}, &range, true), Value::array(3, 2, {num(1), nil, num(2.5), nil, nil, nil}));
  EXPECT_EQ(hostCall(xlCoerce, {num(xltypeStr)}, &cell), str("1"));
  HostCall window(xlGetHwnd, {});
  EXPECT_EQ(window.result.xltype, xltypeInt);
  EXPECT_EQ(window.result.val.w, static_cast<short>(reinterpret_cast<intptr_t>(host.mainWindow()) & 0xFFFF));
  EXPECT_TRUE(hostCall(xlfCaller, {}).is(Value::Error));  // no caller outside a calculation
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(TestAddin, HostCallBookkeepingFailuresAndTheWideEntry) {
  host.resetCallCounts();
  xloper r;
  ASSERT_EQ(Excel4(xlGetName, &r, 0), xlretSuccess);
  EXPECT_EQ(toValue(r), str(host.addinPath()));
  EXPECT_EQ(host.outstanding(), 1);  // not yet given back
  Excel4(xlFree, nullptr, 1, &r);
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.callCount(xlFree), 1);
  EXPECT_EQ(Excel4(12345, &r, 0), xlretInvXlfn);
  EXPECT_EQ(Excel4(xlGetName, &r, 1, &r), xlretInvCount);
  EXPECT_EQ(Excel4(xlfLeft, &r, 0), xlretInvCount);
  host.failCall(xlGetName, xlretAbort);
  EXPECT_EQ(Excel4(xlGetName, &r, 0), xlretAbort);
  EXPECT_EQ(HostCall(xlGetName, {}).code, xlretSuccess);  // once only
  host.failCall(xlGetHwnd, xlretFailed, true);
  EXPECT_EQ(Excel4(xlGetHwnd, &r, 0), xlretFailed);
  EXPECT_EQ(Excel4(xlGetHwnd, &r, 0), xlretFailed);
  host.clearFailures();
  EXPECT_EQ(Excel4(xlGetHwnd, &r, 0), xlretSuccess);
  EXPECT_EQ(host.callCount(xlGetHwnd), 3);
  EXPECT_EQ(host.callCount(xlGetName), 4);
  // the wide entry, found in the process image
  auto wide = reinterpret_cast<MdCallBack12Proc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "MdCallBack12")));
  ASSERT_NE(wide, nullptr);
  xloper12 w;
  ASSERT_EQ(wide(xlGetName, 0, nullptr, &w), xlretSuccess);
  EXPECT_EQ(toValue(w), str(host.addinPath()));
  EXPECT_EQ(host.outstanding(), 1);
  LPXLOPER12 args[] = {&w};
  EXPECT_EQ(wide(xlFree, 1, args, nullptr), xlretSuccess);
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.wideCallCount(xlGetName), 1);
  host.setVersion(0x0B00);
  EXPECT_EQ(wide(xlGetName, 0, nullptr, &w), xlretFailed);
}

TEST_F(TestAddin, CommandsAlertsMessageBoxesAndDialogs) {
  std::vector<std::string> seen;
  host.setAlertSink([&](const std::string& s) { seen.push_back(s); });
  standin::scriptMessageBoxes({IDCANCEL});
  EXPECT_EQ(host.runCommand("ta.cmd"), IDCANCEL);
  EXPECT_EQ(host.runCommand("ta.cmd"), IDOK);
  EXPECT_EQ(host.runCommand("no.such"), -1);
  EXPECT_EQ(host.alerts(), (std::vector<std::string>{"cancel", "ok"}));
  EXPECT_EQ(seen, host.alerts());
  auto boxes = standin::messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].owner, host.mainWindow());  // the active window
  // dialog: OK by default, row 0 column 6 set to the OK button's row
  std::vector<Value> t(4 * 7, Value::nil());
  t[5] = str("Title");
  t[7] = num(13);
  t[14] = num(2);
  t[21] = num(1);
  Value table = Value::array(4, 7, t);
  Value ok = hostCall(xlfDialogBox, {table});
  ASSERT_TRUE(ok.is(Value::Array));
  EXPECT_EQ(ok.at(0, 6), num(3));
  host.scriptDialog([](const Value&) { return Value::boolean(false); });
  EXPECT_EQ(hostCall(xlfDialogBox, {table}), boolean(false));
  EXPECT_EQ(host.dialogs().size(), 2u);
  EXPECT_EQ(host.dialogs()[0], table);
  EXPECT_EQ(hostCall(xlfDialogBox, {Value::array(1, 2, {num(1), num(2)})}), err(xlerrValue));
}
