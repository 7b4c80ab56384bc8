// Registration of the add-in's records with the host, the lifecycle hooks,
// alert levels and the alert filter command, through the simulated host.
#include <cstring>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;
using zrtest::isError;

// Every function and command record of the add-in, in load order.
const std::vector<std::string> loadOrder = {
    "bsopt_create", "bsopt_fv", "bsopt_delta", "bsopt_vega", "bsopt_gamma", "bsopt_theta",
    "bsopt_rho", "date_Calendar", "date_AllCalendars", "date_isBusDay", "date_isHoliday",
    "date_isWeekend", "date_calendarName", "date_isEndOfMonth", "date_MonthEnd", "date_MonthStart",
    "date_YearStart", "date_YearEnd", "date_NextBusDay", "date_prevBusDay", "date_plusBusDays",
    "date_holidayCount", "date_BusDayDiff", "date_EasterMonday", "date_DaysInMonth",
    "date_DaysInYear", "date_BusDayConventions", "date_Adjust", "hf_count", "hf_xllversion",
    "hf_getError", "XLL.MACRO", "util_fnsearch", "util_eval", "util_depends", "ALERT.FILTER"};

std::vector<std::string> registeredNames(const xlsim::Host& host) {
  std::vector<std::string> names;
  for (const auto& r : host.registrations()) names.push_back(r.functionText);
  return names;
}

const std::string levelKey = "Software\\VORN\\xll";

DWORD storedLevel() {
  standin::RegistryValue v;
  if (!standin::registryValue(levelKey, "xll_alert_level", v) || v.type != REG_DWORD) return 99;
  DWORD level;
  std::memcpy(&level, v.data.data(), sizeof level);
  return level;
}

class Registration : public zrtest::AddinTest {};

TEST_F(Registration, EveryRecordInLoadOrderWithItsElements) {
  EXPECT_EQ(registeredNames(host), loadOrder);
  EXPECT_EQ(host.callCount(xlfRegister), static_cast<int>(loadOrder.size()));
  for (const auto& r : host.registrations()) {
    EXPECT_TRUE(r.active()) << r.functionText;
    EXPECT_EQ(r.module, host.addinPath());
    EXPECT_NE(r.address, nullptr) << r.procedure;
  }

  const xlsim::Registration& create = *host.function("bsopt_create");
  EXPECT_EQ(create.procedure, "?bsopt_create");
  EXPECT_EQ(create.typeText, "R#BBBBBBAP");
  EXPECT_EQ(create.argumentText,
            "Spot, Strike, Volatility, Riskfreerate, Dividendyield, TimeToExpiry, CallputFlag, "
            "trigger");
  EXPECT_EQ(create.macroType, 1);
  EXPECT_EQ(create.category, "ZR_Analytical");
  EXPECT_TRUE(create.elements.at(7).is(Value::Nil));
  // The help topic: the module's path with the extension chm, then the
  // function text's djb2 key (1130364192 for "bsopt_create", from Python).
  std::string path = host.addinPath();
  EXPECT_EQ(create.helpTopic, path.substr(0, path.size() - 3) + "chm!1130364192");
  EXPECT_EQ(create.functionHelp, "creates Black Scholes Option object.");
  ASSERT_EQ(create.elements.size(), 18u);
  EXPECT_EQ(create.argumentHelp.front(), "is the spot level.");
  EXPECT_EQ(create.argumentHelp.back(), "is an optional argument for static dependencies.");

  const xlsim::Registration& count = *host.function("hf_count");
  EXPECT_EQ(count.typeText, "P!#");
  EXPECT_EQ(count.argumentText, "");
  EXPECT_EQ(count.elements.size(), 10u);
  EXPECT_EQ(host.function("util_fnsearch")->argumentHelp.at(0),
            "Is an optional wildcard pattern to match. ");

  // Commands: procedure, macro text, macro type 2, no help topic.
  const xlsim::Registration& macro = *host.function("XLL.MACRO");
  EXPECT_EQ(macro.procedure, "?xll_macro");
  EXPECT_EQ(macro.macroType, 2);
  EXPECT_EQ(macro.typeText, "");
  EXPECT_TRUE(macro.elements.at(8).is(Value::Nil));
  const xlsim::Registration& filter = *host.function("ALERT.FILTER");
  EXPECT_EQ(filter.procedure, "_xll_alert_filter@0");
  EXPECT_NE(filter.address, nullptr);
}

TEST_F(Registration, RemoveUnregistersEveryRecord) {
  host.resetCallCounts();
  EXPECT_EQ(host.callHook("xlAutoRemove"), 1);
  EXPECT_EQ(host.callCount(xlfUnregister), static_cast<int>(loadOrder.size()));
  for (const auto& r : host.registrations()) EXPECT_FALSE(r.active()) << r.functionText;
  EXPECT_TRUE(host.alerts().empty());
  EXPECT_EQ(host.callHook("xlAutoClose"), 1);
  EXPECT_EQ(host.callHook("xlAutoAdd"), 1);
}

TEST_F(Registration, AutoRegisterFindsOnlyWhatItRegistered) {
  Value id = host.autoRegister("BSOPT_DELTA");
  ASSERT_TRUE(id.is(Value::Number));
  EXPECT_EQ(host.registrations().back().functionText, "bsopt_delta");
  EXPECT_EQ(host.registrations().back().id, id.num);
  // An unknown name never answers with the last registration's id.
  EXPECT_TRUE(host.autoRegister("no_such_function").is(Value::Nil));
  EXPECT_TRUE(host.autoRegister12("bsopt_delta").is(Value::Nil));
  // A failure shows the error alert and gives #VALUE!.
  host.failCall(xlfRegister, xlretInvXloper);
  host.failCall(xlfConcatenate, xlretFailed);
  EXPECT_TRUE(isError(host.autoRegister("bsopt_fv"), xlerrValue));
  auto boxes = standin::messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Excel returned command failed");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].type, MB_OKCANCEL | MB_ICONERROR);
  xloper any;
  any.xltype = xltypeNum;
  any.val.num = 1;
  EXPECT_TRUE(host.autoFree(&any));
  EXPECT_EQ(any.xltype, xltypeNum);
}

TEST_F(Registration, ModuleNameIsAskedOnce) {
  EXPECT_EQ(host.callCount(xlGetName), 1);
  host.callHook("xlAutoRemove");
  host.autoRegister("bsopt_fv");
  EXPECT_EQ(host.callCount(xlGetName), 1);
  EXPECT_EQ(host.outstanding(), 0);
}

class Lifecycle : public zrtest::HostTest {};

TEST_F(Lifecycle, ClassicHostSkipsTheWidePath) {
  host.setVersion(0x0B00);
  load(ZR_XLL);
  EXPECT_EQ(registeredNames(host), loadOrder);
  host.resetCallCounts();
  EXPECT_EQ(host.callHook("xlAutoRemove"), 1);
  for (int xlfn : {xlGetName, xlfRegister, xlfUnregister, xlfRegisterId})
    EXPECT_EQ(host.wideCallCount(xlfn), 0);
}

TEST_F(Lifecycle, RefusedRegistrationStopsTheWalk) {
  host.refuseRegistration("?bsopt_vega");
  std::string error;
  ASSERT_TRUE(host.load(ZR_XLL, &error)) << error;
  EXPECT_EQ(host.autoOpenResult(), 0);
  std::vector<std::string> tried(loadOrder.begin(), loadOrder.begin() + 4);
  EXPECT_EQ(registeredNames(host), tried);
  ASSERT_EQ(host.alerts().size(), 2u);
  EXPECT_EQ(host.alerts()[0], "?bsopt_vega: failed to register.\nDid you forget #pragma XLLEXPORT?");
  const std::string& ensure = host.alerts()[1];
  EXPECT_EQ(ensure.rfind("file: ", 0), 0u);
  EXPECT_NE(ensure.find("\nfunction: xlAutoOpen\n"), std::string::npos);
  EXPECT_EQ(ensure.substr(ensure.find("ensure: ")), "ensure: \"AddIn::RegisterAll()\" failed");
}

TEST_F(Lifecycle, RefusalByReturnCodeAlertsAndGoesOn) {
  host.refuseRegistration("?bsopt_vega", Value::boolean(true), xlretInvXloper);
  load(ZR_XLL);
  EXPECT_EQ(registeredNames(host), loadOrder);
  ASSERT_EQ(host.alerts().size(), 1u);
  EXPECT_EQ(host.alerts()[0], "?bsopt_vega: failed to register.\nDid you forget #pragma XLLEXPORT?");
}

TEST_F(Lifecycle, FailingHostCallInAHookIsShownAndGivesZero) {
  host.failCall(xlfSearch, xlretFailed, true);
  std::string error;
  ASSERT_TRUE(host.load(ZR_XLL, &error));
  EXPECT_EQ(host.autoOpenResult(), 0);
  ASSERT_FALSE(host.alerts().empty());
  EXPECT_EQ(host.alerts().back(), "Excel returned command failed");
  // Even a refused alert does not escape.
  host.clearFailures();
  host.failCall(xlfUnregister, xlretFailed, true);
  host.failCall(xlcAlert, xlretFailed, true);
  EXPECT_EQ(host.callHook("xlAutoRemove"), 0);
}

// The ensure line of an alert.
std::string ensureLine(const std::string& alert) {
  size_t at = alert.find("ensure: ");
  return at == std::string::npos ? alert : alert.substr(at);
}

TEST_F(Lifecycle, FailuresWhileRecordsAreBuiltWaitForOpen) {
  std::string error;
  ASSERT_TRUE(host.load(FAULTY_LOAD, &error)) << error;
  EXPECT_EQ(host.autoOpenResult(), 0);
  ASSERT_EQ(host.alerts().size(), 1u);
  EXPECT_EQ(ensureLine(host.alerts()[0]), "ensure: \"n <= limits<XLOPER>::maxchars\" failed");
  EXPECT_TRUE(host.registrations().empty());
  host.unload();
  host.clearAlerts();

  ASSERT_TRUE(host.load(FAULTY_REGISTRATION, &error)) << error;
  EXPECT_EQ(host.autoOpenResult(), 0);
  ASSERT_EQ(host.alerts().size(), 1u);
  EXPECT_EQ(ensureLine(host.alerts()[0]), "ensure: \"size() < limits<X>::maxargs\" failed");
  EXPECT_TRUE(host.registrations().empty());
  host.unload();
  host.clearAlerts();

  // An alert holds at most 255 characters: a longer text is cut, not lost.
  ASSERT_TRUE(host.load(FAULTY_LONG, &error)) << error;
  EXPECT_EQ(host.autoOpenResult(), 0);
  ASSERT_EQ(host.alerts().size(), 1u);
  EXPECT_EQ(host.alerts()[0], std::string(255, 'y'));
}

class AlertLevel : public zrtest::HostTest {};

TEST_F(AlertLevel, DefaultIsWrittenWhenMissingOrMistyped) {
  load(ZR_XLL);
  EXPECT_EQ(storedLevel(), 3u);
  host.unload();
  standin::setRegistryString(levelKey, "xll_alert_level", "7");
  load(ZR_XLL);
  EXPECT_EQ(storedLevel(), 3u);
  host.unload();
  standin::setRegistryDword(levelKey, "xll_alert_level", 5);
  load(ZR_XLL);
  EXPECT_EQ(storedLevel(), 5u);
}

TEST_F(AlertLevel, CancelInAnErrorAlertTurnsErrorAlertsOff) {
  load(ZR_XLL);
  host.failCall(xlfSearch, xlretFailed, true);
  standin::scriptMessageBoxes({IDCANCEL});
  EXPECT_TRUE(isError(host.call("util_fnsearch", {Value::text("bs*")}), xlerrValue));
  ASSERT_EQ(standin::messageBoxes().size(), 1u);
  EXPECT_EQ(standin::messageBoxes()[0].owner, host.mainWindow());
  EXPECT_EQ(storedLevel(), 2u);
  EXPECT_TRUE(isError(host.call("util_fnsearch", {Value::text("bs*")}), xlerrValue));
  EXPECT_EQ(standin::messageBoxes().size(), 1u);  // no further error alerts
}

TEST_F(AlertLevel, FilterDialog) {
  load(ZR_XLL);
  Value answer;
  host.scriptDialog([&](const Value& table) { return answer.is(Value::Nil) ? table : answer; });
  // Pressing OK with nothing changed keeps the level.
  EXPECT_EQ(host.runCommand("ALERT.FILTER"), 1);
  ASSERT_EQ(host.dialogs().size(), 1u);
  const Value t = host.dialogs()[0];
  ASSERT_EQ(t.rows, 7);
  ASSERT_EQ(t.columns, 7);
  EXPECT_EQ(t.at(0, 3).num, 230);
  EXPECT_EQ(t.at(0, 5).str, "Alert Filter");
  EXPECT_EQ(t.at(1, 0).num, 14);
  EXPECT_EQ(t.at(1, 5).str, "Show alerts:");
  EXPECT_TRUE(t.at(2, 1).is(Value::Nil));
  const char* boxes[] = {"Error", "Warning", "Info"};
  const double initial[] = {1, 2, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.at(2 + i, 0).num, 13);
    EXPECT_EQ(t.at(2 + i, 5).str, boxes[i]);
    EXPECT_EQ(t.at(2 + i, 6).num, initial[i]);
  }
  EXPECT_EQ(t.at(5, 0).num, 3);
  EXPECT_EQ(t.at(5, 2).num, 20);
  EXPECT_EQ(t.at(6, 5).str, "Cancel");
  EXPECT_EQ(storedLevel(), 3u);

  // Untick Error, tick Info.
  answer = t;
  answer.elements[0 * 7 + 6] = Value::number(5);
  answer.elements[2 * 7 + 6] = Value::boolean(false);
  answer.elements[4 * 7 + 6] = Value::boolean(true);
  EXPECT_EQ(host.runCommand("ALERT.FILTER"), 1);
  EXPECT_EQ(storedLevel(), 6u);

  // Cancel, another button, an answer that is no table: nothing changes.
  for (const Value& a : {Value::boolean(false), t, Value::number(5)}) {
    answer = a;
    EXPECT_EQ(host.runCommand("ALERT.FILTER"), 1);
    EXPECT_EQ(storedLevel(), 6u);
  }
  // A refused dialog is survived.
  host.failCall(xlfDialogBox, xlretFailed);
  EXPECT_EQ(host.runCommand("ALERT.FILTER"), 0);
  EXPECT_EQ(storedLevel(), 6u);
}

}  // namespace
