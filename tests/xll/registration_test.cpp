// Registration of the add-in's records with the host, the lifecycle hooks,
// alert levels and the alert filter command, through the simulated host.
#include <cstdlib>
#include <cstring>
#include <functional>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;
using zrtest::isError;

std::vector<std::string> registeredNames(const xlsim::Host& host) {
  std::vector<std::string> names;
  for (const auto& r : host.registrations()) names.push_back(r.functionText);
  return names;
}

// The ensure line of an alert.
std::string ensureLine(const std::string& alert) {
  size_t at = alert.find("ensure: ");
  return at == std::string::npos ? alert : alert.substr(at);
}

const std::string levelKey = "Software\\VORN\\xll";

DWORD storedLevel() {
  standin::RegistryValue v;
  if (!standin::registryValue(levelKey, "xll_alert_level", v) || v.type != REG_DWORD) return 99;
  DWORD level;
  std::memcpy(&level, v.data.data(), sizeof level);
  return level;
}

// Every function and command record in list order, as util_fnsearch walks it.
std::vector<std::string> listOrder(xlsim::Host& host) {
  std::vector<std::string> names;
  for (const Value& v : host.call("util_fnsearch", {}).elements) names.push_back(v.str);
  return names;
}

class Registration : public zrtest::AddinTest {};

TEST_F(Registration, EveryRecordInListOrderWithItsElements) {
  EXPECT_EQ(registeredNames(host), listOrder(host));
  for (const auto& r : host.registrations()) {
    EXPECT_EQ(r.module, host.addinPath());
    EXPECT_NE(r.address, nullptr) << r.procedure;
  }
  const xlsim::Registration& create = *host.function("bsopt_create");
  EXPECT_EQ(create.typeText, "R#BBBBBBAP");
  EXPECT_EQ(create.argumentText,
            "Spot, Strike, Volatility, Riskfreerate, Dividendyield, TimeToExpiry, CallputFlag, trigger");
  // The module's path with the extension chm, then the function text's djb2
  // key (1130364192 for "bsopt_create", from Python).
  std::string path = host.addinPath();
  EXPECT_EQ(create.helpTopic, path.substr(0, path.size() - 3) + "chm!1130364192");
  ASSERT_EQ(create.elements.size(), 18u);
  EXPECT_EQ(create.argumentHelp.back(), "is an optional argument for static dependencies.");
  const xlsim::Registration& macro = *host.function("XLL.MACRO");
  EXPECT_EQ(macro.procedure, "?xll_macro");
  EXPECT_EQ(macro.macroType, 2);
  EXPECT_EQ(host.function("ALERT.FILTER")->procedure, "_xll_alert_filter@0");
}

TEST_F(Registration, RemoveUnregistersEveryRecordAndSaysWhichFailed) {
  host.resetCallCounts();
  EXPECT_EQ(host.callHook("xlAutoRemove"), 1);
  EXPECT_EQ(host.callCount(xlfUnregister), static_cast<int>(host.registrations().size()));
  for (const auto& r : host.registrations()) EXPECT_FALSE(r.active()) << r.functionText;
  EXPECT_TRUE(host.alerts().empty());

  host.failCall(xlfUnregister, xlretFailed);
  EXPECT_EQ(host.callHook("xlAutoRemove"), 0);
  ASSERT_EQ(host.alerts().size(), 2u);
  EXPECT_EQ(host.alerts()[0], "?bsopt_create: failed to unregister.\n");
  EXPECT_EQ(ensureLine(host.alerts()[1]), "ensure: \"AddIn::UnregisterAll()\" failed");
}

TEST_F(Registration, AutoRegisterFindsOnlyWhatItRegistered) {
  // An unknown name before any other request gives nil.
  EXPECT_TRUE(host.autoRegister("no_such_function").is(Value::Nil));
  Value id = host.autoRegister("BSOPT_DELTA");
  ASSERT_TRUE(id.is(Value::Number));
  EXPECT_EQ(host.registrations().back().id, id.num);
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
  EXPECT_EQ(host.callCount(xlGetName), 1);  // the module name is asked once
  EXPECT_EQ(host.outstanding(), 0);
}

class Lifecycle : public zrtest::HostTest {
 protected:
  ~Lifecycle() override { unsetenv("ZR_FAILING_HOOK"); }
};

TEST_F(Lifecycle, AHookGivingZeroStopsItsStepAndTheWidePathFollowsTheVersion) {
  struct Case {
    const char *hook, *step;  // the hook list that gives 0, the hook the host calls
    int version;
    const char* expected;  // the alert's ensure line, "" for none
  } cases[] = {
      {"O", "xlAutoOpen", 0x0C00, "ensure: \"Auto<Open>::Call()\" failed"},
      {"W", "xlAutoOpen", 0x0C00, "ensure: \"Auto<Open12>::Call()\" failed"},
      {"W", "xlAutoOpen", 0x0B00, ""},  // a classic host never runs the wide hooks
      {"R", "xlAutoRemove", 0x0C00, "ensure: \"Auto<RemoveBefore>::Call()\" failed"},
  };
  for (const Case& c : cases) {
    setenv("ZR_FAILING_HOOK", c.hook, 1);
    host.setVersion(c.version);
    host.clearAlerts();
    std::string error;
    ASSERT_TRUE(host.load(FAULTY_HOOKS, &error)) << error;
    int result = std::string(c.step) == "xlAutoOpen" ? host.autoOpenResult() : host.callHook(c.step);
    EXPECT_EQ(result, *c.expected ? 0 : 1) << c.hook;
    EXPECT_EQ(host.alerts().size(), *c.expected ? 1u : 0u) << c.hook;
    EXPECT_EQ(host.alerts().empty() ? "" : ensureLine(host.alerts()[0]), c.expected);
    host.unload();
  }
}

TEST_F(Lifecycle, RefusedRegistrations) {
  // Refused with an error value: an alert, and the walk stops.
  host.refuseRegistration("?bsopt_vega");
  std::string error;
  ASSERT_TRUE(host.load(ZR_XLL, &error)) << error;
  EXPECT_EQ(host.autoOpenResult(), 0);
  EXPECT_EQ(registeredNames(host).back(), "bsopt_vega");
  ASSERT_EQ(host.alerts().size(), 2u);
  EXPECT_EQ(host.alerts()[0], "?bsopt_vega: failed to register.\nDid you forget #pragma XLLEXPORT?");
  EXPECT_EQ(ensureLine(host.alerts()[1]), "ensure: \"AddIn::RegisterAll()\" failed");
  host.unload();
  host.clearAlerts();
  host.clearRefusals();
  // Refused by a return code: an alert, and the walk goes on.
  host.refuseRegistration("?bsopt_vega", Value::boolean(true), xlretInvXloper);
  load(ZR_XLL);
  EXPECT_EQ(registeredNames(host).back(), "ALERT.FILTER");
  EXPECT_EQ(host.alerts().size(), 1u);
}

TEST_F(Lifecycle, FailuresNeverEscapeAHook) {
  host.failCall(xlfSearch, xlretFailed, true);
  std::string error;
  ASSERT_TRUE(host.load(ZR_XLL, &error));
  EXPECT_EQ(host.autoOpenResult(), 0);
  EXPECT_EQ(host.alerts().back(), "Excel returned command failed");
  host.clearFailures();
  host.failCall(xlfUnregister, xlretFailed, true);
  host.failCall(xlcAlert, xlretFailed, true);  // even a refused alert
  EXPECT_EQ(host.callHook("xlAutoRemove"), 0);
  host.unload();
  host.clearFailures();
  host.clearAlerts();

  const std::pair<const char*, std::string> faulty[] = {
      {FAULTY_LOAD, "ensure: \"n <= limits<XLOPER>::maxchars\" failed"},
      {FAULTY_REGISTRATION, "ensure: \"size() < limits<X>::maxargs\" failed"},
      {FAULTY_LONG, std::string(255, 'y')},  // cut to what a host text holds
  };
  for (const auto& [path, alert] : faulty) {
    ASSERT_TRUE(host.load(path, &error)) << error;
    EXPECT_EQ(host.autoOpenResult(), 0);
    ASSERT_EQ(host.alerts().size(), 1u);
    EXPECT_EQ(ensureLine(host.alerts()[0]), alert);
    EXPECT_TRUE(host.registrations().empty());
    host.unload();
    host.clearAlerts();
  }
}

class AlertLevel : public zrtest::HostTest {};

TEST_F(AlertLevel, DefaultIsWrittenWhenMissingOrMistyped) {
  const std::pair<std::function<void()>, DWORD> stored[] = {
      {[] {}, 3}, {[] { standin::setRegistryString(levelKey, "xll_alert_level", "7"); }, 3},
      {[] { standin::setRegistryDword(levelKey, "xll_alert_level", 5); }, 5}};
  for (const auto& [store, level] : stored) {
    store();
    load(ZR_XLL);
    EXPECT_EQ(storedLevel(), level);
    host.unload();
  }
}

// Cancel in an error alert turns error alerts off and saves that, when the
// key could be opened; a key that cannot be opened leaves level 3 and a notice.
TEST_F(AlertLevel, CancelInAnErrorAlertWithAndWithoutTheKey) {
  for (bool refused : {false, true}) {
    standin::clearRegistry();
    standin::refuseRegistryKey(levelKey, refused);
    standin::clearMessageBoxes();
    host.clearAlerts();
    load(ZR_XLL);
    EXPECT_EQ(registeredNames(host).back(), "ALERT.FILTER");
    EXPECT_EQ(host.alerts().size(), refused ? 1u : 0u);
    if (refused) {
      EXPECT_NE(host.alerts()[0].find("default level 3"), std::string::npos);
      EXPECT_EQ(host.callHook("xlAutoOpen"), 1);
      EXPECT_EQ(host.alerts().size(), 1u);  // said once
    }
    host.failCall(xlfSearch, xlretFailed, true);
    standin::scriptMessageBoxes({IDCANCEL});
    for (int i = 0; i < 2; ++i)
      EXPECT_TRUE(isError(host.call("util_fnsearch", {Value::text("bs*")}), xlerrValue));
    ASSERT_EQ(standin::messageBoxes().size(), 1u);  // none after Cancel
    EXPECT_EQ(standin::messageBoxes()[0].owner, host.mainWindow());
    EXPECT_EQ(storedLevel(), refused ? 99u : 2u);  // 99: no value at all
    host.clearFailures();
    host.unload();
  }
}

TEST_F(AlertLevel, FilterDialog) {
  load(ZR_XLL);
  Value answer;
  host.scriptDialog([&](const Value& table) { return answer.is(Value::Nil) ? table : answer; });
  EXPECT_EQ(host.runCommand("ALERT.FILTER"), 1);
  ASSERT_EQ(host.dialogs().size(), 1u);
  const Value t = host.dialogs()[0];
  ASSERT_EQ(t.rows * t.columns, 49);
  const char* texts[] = {"Alert Filter", "Show alerts:", "Error", "Warning", "Info", "OK", "Cancel"};
  const double kinds[] = {0, 14, 13, 13, 13, 3, 2}, initial[] = {0, 0, 1, 2, 0, 0, 0};
  for (int r = 0; r < 7; ++r) {
    EXPECT_EQ(t.at(r, 5).str, texts[r]);
    EXPECT_EQ(t.at(r, 0).num, kinds[r]);
    EXPECT_EQ(t.at(r, 6).num, initial[r]);
  }
  EXPECT_EQ(t.at(0, 3).num, 230);
  EXPECT_EQ(t.at(5, 2).num, 20);
  EXPECT_TRUE(t.at(2, 1).is(Value::Nil));
  EXPECT_EQ(storedLevel(), 3u);
  // Untick Error, tick Info, press OK (row 5).
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
}

}  // namespace
