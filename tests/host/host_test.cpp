// Loading, registration, argument layouts and the host functions.
#include <dlfcn.h>

#include <fstream>

#include "tests/host/host_test.h"

using namespace xlsim;
using namespace hosttest;

namespace {

// Calls a host function from the test, as the add-in would.
struct HostCall {
  int code = 0;
  xloper result{};
  HostCall(int xlfn, std::vector<Value> args) {
    std::vector<HostOper> opers;
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

Value hostCall(int xlfn, std::vector<Value> args) { return HostCall(xlfn, std::move(args)).value(); }

}  // namespace

TEST_F(TestAddin, RegistersWhatTheAddinPassesInOrder) {
  const auto& regs = host.registrations();
  ASSERT_EQ(regs.size(), 23u);
  EXPECT_EQ(standin::disableThreadLibraryCallsCount(), 1);  // DllMain ran
  EXPECT_EQ(host.callCount(xlGetName), 1);
  EXPECT_EQ(host.outstanding(), 0);  // the add-in gave its module name back

  const Registration& first = regs[0];
  EXPECT_EQ(first.elements[0], str(host.addinPath()));
  EXPECT_EQ(first.procedure, "ta_bool");
  EXPECT_EQ(first.typeText, "JA");
  EXPECT_EQ(first.functionText, "ta_bool");
  EXPECT_EQ(first.argumentText, "Flag");
  EXPECT_EQ(first.macroType, 1);
  EXPECT_EQ(first.category, "Test");
  EXPECT_EQ(first.functionHelp, "ta_bool for tests.");
  EXPECT_EQ(first.argumentHelp, std::vector<std::string>{"first argument."});
  EXPECT_TRUE(first.active());
  EXPECT_NE(first.address, nullptr);
  EXPECT_EQ(first.result, num(first.id));
  EXPECT_NE(regs[0].id, regs[1].id);

  EXPECT_TRUE(host.procedure("?ta_q")->active());
  EXPECT_TRUE(host.procedure("ta_at@4")->active());
  EXPECT_EQ(host.function("TA.cmd")->macroType, 2);
  EXPECT_TRUE(host.function("ta_vol")->isVolatile());
  // not exported, not in the module
  for (const char* p : {"ta_hidden", "ta_missing"}) {
    const Registration* r = host.procedure(p);
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->accepted);
    EXPECT_EQ(r->result, err(xlerrValue));
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
  EXPECT_EQ(host.callCount(xlfUnregister), 21);
  EXPECT_FALSE(host.loaded());
  for (const auto& r : host.registrations()) EXPECT_FALSE(r.active()) << r.procedure;
}

TEST(HostLoad, EveryLoadStartsWithFreshStaticState) {
  standin::reset();
  for (int round = 0; round < 2; ++round) {
    Host host;
    ASSERT_TRUE(host.load(TESTADDIN));
    EXPECT_EQ(host.call("ta_vol", {}), num(1)) << "round " << round;
    EXPECT_EQ(host.call("ta_vol", {}), num(2));
    host.unload();
    EXPECT_EQ(dlopen(TESTADDIN, RTLD_LAZY | RTLD_NOLOAD), nullptr);
    ASSERT_TRUE(host.load(TESTADDIN));
    EXPECT_EQ(host.call("ta_vol", {}), num(1));
  }
  {
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
  EXPECT_THROW(
      {
        Host a;
        Host b;
      },
      std::logic_error);
  Host h;
  std::string error;
  EXPECT_FALSE(h.load("/nonexistent/addin.xll", &error));
  EXPECT_FALSE(error.empty());
}

TEST(HostLoad, RefusedRegistrationsAnswerWhatTheTestChose) {
  standin::reset();
  Host host;
  host.refuseRegistration("ta_num");
  host.refuseRegistration("ta_int", Value::nil(), xlretFailed);
  ASSERT_TRUE(host.load(TESTADDIN));
  const Registration* n = host.procedure("ta_num");
  EXPECT_FALSE(n->accepted);
  EXPECT_EQ(n->result, err(xlerrValue));
  EXPECT_EQ(host.procedure("ta_int")->returnCode, xlretFailed);
  EXPECT_EQ(host.function("ta_int"), nullptr);
  EXPECT_NE(host.function("ta_bool"), nullptr);
}

TEST_F(TestAddin, NumericLettersABJ) {
  EXPECT_EQ(formula("=ta_bool(TRUE)"), num(1));
  EXPECT_EQ(formula("=ta_bool(5)"), num(1));
  EXPECT_EQ(formula("=ta_bool(0)"), num(0));
  EXPECT_EQ(formula("=ta_bool(\"true\")"), num(1));
  EXPECT_EQ(formula("=ta_bool()"), num(0));
  EXPECT_EQ(formula("=ta_not(2)"), boolean(false));
  EXPECT_EQ(formula("=ta_num(1.5)"), num(3));
  EXPECT_EQ(formula("=ta_num(\"2\")"), num(4));
  EXPECT_EQ(formula("=ta_num(\"abc\")"), err(xlerrValue));
  EXPECT_EQ(formula("=ta_num(#N/A)"), err(xlerrNA));
  EXPECT_EQ(formula("=ta_num()"), num(0));
  EXPECT_EQ(formula("=ta_num(Z9)"), num(0));  // empty cell
  EXPECT_EQ(formula("=ta_int(41.9)"), num(42));
  EXPECT_EQ(formula("=ta_int(-3)"), num(-2));
  EXPECT_EQ(formula("=ta_int(1E10)"), err(xlerrValue));
  host.setCell("C1", "7");
  host.setCell("A2", "=ta_num(C1)");
  host.calculate();
  EXPECT_EQ(host.value("A2"), num(14));
}

TEST_F(TestAddin, TextLettersCF) {
  EXPECT_EQ(formula("=ta_cstr(\"ab\")"), str("[ab]"));
  EXPECT_EQ(formula("=ta_cstr(12.5)"), str("[12.5]"));
  EXPECT_EQ(formula("=ta_cstr(TRUE)"), str("[TRUE]"));
  EXPECT_EQ(formula("=ta_cstr()"), str("[]"));
  EXPECT_EQ(formula("=ta_cstr(#DIV/0!)"), err(xlerrDiv0));
  EXPECT_EQ(formula("=ta_buf(\"abc\")"), str("ABC"));
  EXPECT_EQ(host.call("ta_buf", {str(std::string(300, 'x'))}), str(std::string(255, 'X')));
}

TEST_F(TestAddin, ArrayLetterK) {
  EXPECT_EQ(formula("=ta_fp({1,2,3;4,5,6})"), num(2));
  EXPECT_EQ(host.call("ta_fp", {Value::array(2, 3, {num(1), num(2), num(3), num(4), num(5), num(6)})}),
            Value::array(1, 3, {num(2), num(3), num(21)}));
  host.setCell("B1", "1");
  host.setCell("B2", "2");
  EXPECT_EQ(host.call("ta_fp", {Arg::ref("B1:B3")}), Value::array(1, 3, {num(3), num(1), num(3)}));
  EXPECT_EQ(host.call("ta_fp", {5.0}), Value::array(1, 3, {num(1), num(1), num(5)}));
  host.setCell("B3", "x");
  EXPECT_EQ(host.call("ta_fp", {Arg::ref("B1:B3")}), err(xlerrValue));
  host.setCell("B3", "#NUM!");
  EXPECT_EQ(host.call("ta_fp", {Arg::ref("B1:B3")}), err(xlerrNum));
  EXPECT_EQ(host.call("ta_fp", {}), err(xlerrValue));
}

TEST_F(TestAddin, ValueLettersPAndR) {
  host.setCell("B1", "1");
  host.setCell("C1", "text");
  host.setCell("B2", "=ta_num(5)");
  EXPECT_EQ(host.call("ta_kind", {Arg::ref("Z1")}), num(xltypeNil));
  EXPECT_EQ(host.call("ta_kind", {}), num(xltypeMissing));
  EXPECT_EQ(host.call("ta_kind", {Arg::ref("B1:C1")}), num(xltypeMulti));
  EXPECT_EQ(host.call("ta_echo", {Arg::ref("B1:C2")}),
            Value::array(2, 2, {num(1), str("text"), num(10), Value::nil()}));  // B2 calculated first
  EXPECT_EQ(host.call("ta_echo", {Value::missing()}), Value::missing());
  EXPECT_EQ(host.call("ta_ref", {Arg::ref("B2")}), str("sref 1 1 1 1"));
  EXPECT_EQ(host.call("ta_ref", {Arg::ref("B1:C3")}), str("sref 0 2 1 2"));
  EXPECT_EQ(host.call("ta_ref", {5.0}), str("value 1"));
  EXPECT_EQ(host.call("ta_ref", {}), str("value 128"));
  Arg kept = host.invoke("ta_refecho", {Arg::ref("B2")});
  EXPECT_TRUE(kept.isReference);
  EXPECT_EQ(host.call("ta_refecho", {Arg::ref("B2")}), num(10));  // the referenced value
  EXPECT_EQ(formula("=ta_q()"), num(42));
  EXPECT_EQ(formula("=TA_AT(1)"), num(1.5));
  EXPECT_EQ(formula("=ta_num(1, 2)"), err(xlerrValue));  // too many arguments
}

TEST_F(TestAddin, TextAndDateFunctions) {
  EXPECT_EQ(hostCall(xlfSearch, {str(".?ll"), str("/a/b/zr.xll")}), num(8));
  EXPECT_EQ(hostCall(xlfSearch, {str("b*d"), str("ABCD"), num(1)}), num(2));
  EXPECT_EQ(hostCall(xlfSearch, {str("~*"), str("a*b")}), num(2));
  EXPECT_EQ(hostCall(xlfSearch, {str("x"), str("abc")}), err(xlerrValue));
  EXPECT_EQ(hostCall(xlfValue, {str(" 12.5 ")}), num(12.5));
  EXPECT_EQ(hostCall(xlfValue, {str("2000-01-01")}), num(36526));
  EXPECT_EQ(hostCall(xlfValue, {str("abc")}), err(xlerrValue));
  EXPECT_EQ(hostCall(xlfText, {num(3.14159), str("0.00")}), str("3.14"));
  EXPECT_EQ(hostCall(xlfDay, {num(60)}), num(29));
  EXPECT_EQ(hostCall(xlfMonth, {num(60)}), num(2));
  EXPECT_EQ(hostCall(xlfYear, {num(36526)}), num(2000));
  EXPECT_EQ(hostCall(xlfLeft, {str("abcdef"), num(3)}), str("abc"));
  EXPECT_EQ(hostCall(xlfLeft, {str("abcdef")}), str("a"));
  EXPECT_EQ(hostCall(xlfConcatenate, {str("a"), num(1.5), str("b")}), str("a1.5b"));
  EXPECT_EQ(hostCall(xlfConcatenate, {str(std::string(200, 'a')), str(std::string(56, 'b'))}), err(xlerrValue));
  EXPECT_EQ(hostCall(xlfEvaluate, {str("{1,2;3,4}")}), Value::array(2, 2, {num(1), num(2), num(3), num(4)}));
  EXPECT_EQ(hostCall(xlfEvaluate, {str("=ta_num(4)")}), num(8));
  EXPECT_EQ(hostCall(xlfEvaluate, {str("=ta_num(")}), err(xlerrValue));
}

TEST_F(TestAddin, ReferenceFunctions) {
  HostOper cell = HostOper::reference(Area{0, 0, 0, 0});
  HostOper range = HostOper::reference(Area{0, 0, 2, 1}, true);
  HostOper yes(boolean(true)), no(boolean(false));
  xloper r;
  ASSERT_EQ(Excel4(xlfReftext, &r, 2, cell.get(), yes.get()), xlretSuccess);
  EXPECT_EQ(toValue(r), str("[Book1]Sheet1!$A$1"));
  Excel4(xlFree, nullptr, 1, &r);
  ASSERT_EQ(Excel4(xlfReftext, &r, 2, range.get(), yes.get()), xlretSuccess);
  EXPECT_EQ(toValue(r), str("[Book1]Sheet1!$A$1:$B$3"));
  Excel4(xlFree, nullptr, 1, &r);
  ASSERT_EQ(Excel4(xlfReftext, &r, 2, range.get(), no.get()), xlretSuccess);
  EXPECT_EQ(toValue(r), str("[Book1]Sheet1!R1C1:R3C2"));
  Excel4(xlFree, nullptr, 1, &r);
  ASSERT_EQ(Excel4(xlSheetNm, &r, 1, cell.get()), xlretSuccess);
  EXPECT_EQ(toValue(r), str("[Book1]Sheet1"));
  Excel4(xlFree, nullptr, 1, &r);
  EXPECT_EQ(Excel4(xlSheetNm, &r, 1, yes.get()), xlretInvXloper);

  ASSERT_EQ(Excel4(xlGetHwnd, &r, 0), xlretSuccess);
  EXPECT_EQ(r.xltype, xltypeInt);
  EXPECT_EQ(r.val.w, static_cast<short>(reinterpret_cast<intptr_t>(host.mainWindow()) & 0xFFFF));
  // no caller outside a calculation
  ASSERT_EQ(Excel4(xlfCaller, &r, 0), xlretSuccess);
  EXPECT_EQ(r.xltype, xltypeErr);

  // coerce: values of a range, and a type mask
  host.setCell("A1", "1");
  host.setCell("A2", "2.5");
  ASSERT_EQ(Excel4(xlCoerce, &r, 1, range.get()), xlretSuccess);
  EXPECT_EQ(toValue(r), Value::array(3, 2, {num(1), Value::nil(), num(2.5), Value::nil(), Value::nil(),
                                            Value::nil()}));
  Excel4(xlFree, nullptr, 1, &r);
  HostOper textMask(num(xltypeStr));
  ASSERT_EQ(Excel4(xlCoerce, &r, 2, cell.get(), textMask.get()), xlretSuccess);
  EXPECT_EQ(toValue(r), str("1"));
  Excel4(xlFree, nullptr, 1, &r);
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(TestAddin, HostCallBookkeepingAndFailures) {
  host.resetCallCounts();
  xloper r;
  ASSERT_EQ(Excel4(xlGetName, &r, 0), xlretSuccess);
  EXPECT_EQ(toValue(r), str(host.addinPath()));
  EXPECT_EQ(host.outstanding(), 1);  // not yet given back
  Excel4(xlFree, nullptr, 1, &r);
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.callCount(xlGetName), 1);
  EXPECT_EQ(host.callCount(xlFree), 1);

  EXPECT_EQ(Excel4(12345, &r, 0), xlretInvXlfn);
  EXPECT_EQ(Excel4(xlGetName, &r, 1, &r), xlretInvCount);
  EXPECT_EQ(Excel4(xlfLeft, &r, 0), xlretInvCount);

  host.failCall(xlGetName, xlretAbort);
  EXPECT_EQ(Excel4(xlGetName, &r, 0), xlretAbort);
  ASSERT_EQ(Excel4(xlGetName, &r, 0), xlretSuccess);  // once only
  Excel4(xlFree, nullptr, 1, &r);
  host.failCall(xlGetHwnd, xlretFailed, true);
  EXPECT_EQ(Excel4(xlGetHwnd, &r, 0), xlretFailed);
  EXPECT_EQ(Excel4(xlGetHwnd, &r, 0), xlretFailed);
  host.clearFailures();
  EXPECT_EQ(Excel4(xlGetHwnd, &r, 0), xlretSuccess);
  EXPECT_EQ(host.callCount(xlGetHwnd), 3);

  host.setVersion(0x0B00);
  EXPECT_EQ(XLCallVer(), 0x0B00);
}

TEST_F(TestAddin, WideEntryIsFoundInTheProcessImage) {
  auto wide = reinterpret_cast<MdCallBack12Proc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "MdCallBack12")));
  ASSERT_NE(wide, nullptr);
  xloper12 r;
  ASSERT_EQ(wide(xlGetName, 0, nullptr, &r), xlretSuccess);
  EXPECT_EQ(r.xltype, xltypeStr);
  EXPECT_EQ(toValue(r), str(host.addinPath()));
  EXPECT_EQ(host.outstanding(), 1);
  LPXLOPER12 args[] = {&r};
  EXPECT_EQ(wide(xlFree, 1, args, nullptr), xlretSuccess);
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.wideCallCount(xlGetName), 1);
  host.setVersion(0x0B00);
  EXPECT_EQ(wide(xlGetName, 0, nullptr, &r), xlretFailed);
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
  EXPECT_EQ(boxes[0].owner, host.mainWindow());
  EXPECT_EQ(boxes[0].text, "Proceed?");
  EXPECT_EQ(boxes[0].caption, "TA");
  EXPECT_EQ(boxes[0].type, UINT(MB_OKCANCEL));

  // dialog: OK by default, row 0 column 6 set to the OK button's row
  auto cell = [](int r, int c, std::vector<Value>& t, Value v) { t[static_cast<size_t>(r * 7 + c)] = v; };
  std::vector<Value> t(4 * 7, Value::nil());
  cell(0, 5, t, str("Title"));
  cell(1, 0, t, num(13));
  cell(2, 0, t, num(2));
  cell(3, 0, t, num(1));
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
