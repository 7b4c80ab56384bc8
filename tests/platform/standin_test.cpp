#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/standin.h"
#include "platform/winapi.h"
#include "platform/xlcall.h"

namespace {

class Standin : public ::testing::Test {
 protected:
  void SetUp() override { standin::reset(); }
  void TearDown() override { standin::reset(); }
};

BOOL CALLBACK collect(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

BOOL CALLBACK stopAtSecond(HWND w, LPARAM p) {
  auto& seen = *reinterpret_cast<std::vector<HWND>*>(p);
  seen.push_back(w);
  return seen.size() < 2;
}

}  // namespace

TEST(ExportSymbol, TurnsEveryAtIntoDollar) {
  EXPECT_EQ(platform::exportSymbol("_xll_alert_filter@0"), "_xll_alert_filter$0");
  EXPECT_EQ(platform::exportSymbol("?bsopt_fv"), "?bsopt_fv");
  EXPECT_EQ(platform::exportSymbol("a@b@c"), "a$b$c");
}

// Every host test goes through the handler; without one calls fail.
TEST_F(Standin, CallBackWithoutAHandlerFails) {
  xloper r;
  EXPECT_EQ(Excel4(xlGetName, &r, 0), xlretFailed);
  EXPECT_EQ(Excel4v(xlGetName, &r, 0, nullptr), xlretFailed);
  EXPECT_EQ(XLCallVer(), 0);
}

TEST_F(Standin, WindowsEnumerateInCreationOrderWithClassTitleParent) {
  HWND main = standin::createWindow("XLMAIN", "Book1", nullptr);
  HWND wiz = standin::createWindow("bosa_sdm_XL9", "Function Arguments", main);
  HWND other = standin::createWindow("Other", "", nullptr);
  std::vector<HWND> seen;
  EXPECT_TRUE(EnumWindows(collect, reinterpret_cast<LPARAM>(&seen)));
  EXPECT_EQ(seen, (std::vector<HWND>{main, wiz, other}));
  seen.clear();
  EnumWindows(stopAtSecond, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(GetParent(wiz), main);
  char buf[64];
  EXPECT_EQ(GetClassNameA(wiz, buf, 5), 4);  // cut, with its terminating zero
  EXPECT_STREQ(buf, "bosa");
  EXPECT_EQ(GetWindowTextA(wiz, buf, sizeof buf), 18);
  standin::setActiveWindow(main);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(standin::destroyWindow(main));  // and the wizard under it
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(standin::windows().size(), 1u);
}

TEST_F(Standin, MessageBoxesFollowTheScriptAndAreRecorded) {
  standin::scriptMessageBoxes({IDCANCEL, IDCANCEL});
  EXPECT_EQ(MessageBoxA(nullptr, "first", "Error", MB_OKCANCEL | MB_ICONERROR), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "no cancel button", "Info", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "default", "Error", MB_OKCANCEL), IDOK);
  standin::setDefaultMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "new default", nullptr, MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(standin::messageBoxes().size(), 4u);
  EXPECT_EQ(standin::messageBoxes()[0].type, MB_OKCANCEL | MB_ICONERROR);
}

TEST_F(Standin, RegistryKeysAndValuesBehaveAsWindows) {
  HKEY key, again;
  DWORD disposition = 0;
  auto create = [&](HKEY* k) {
    return RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VORN\\xll", 0, nullptr, REG_OPTION_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, k, &disposition);
  };
  ASSERT_EQ(create(&key), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  DWORD type = 0, value = 0, size = sizeof value, three = 3;
  EXPECT_EQ(RegQueryValueExA(key, "xll_alert_level", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  RegSetValueExA(key, "xll_alert_level", 0, REG_DWORD, reinterpret_cast<BYTE*>(&three), sizeof three);
  EXPECT_EQ(RegQueryValueExA(key, "XLL_ALERT_LEVEL", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(value, 3u);
  size = 2;  // too small a buffer
  EXPECT_EQ(RegQueryValueExA(key, "xll_alert_level", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_MORE_DATA);

  create(&again);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(standin::openRegistryKeys(), 2);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(again), ERROR_INVALID_HANDLE);
  // A refused key cannot be opened until the refusal is lifted.
  standin::refuseRegistryKey("software\\vorn\\XLL\\");
  EXPECT_EQ(create(&again), ERROR_ACCESS_DENIED);
  standin::refuseRegistryKey("Software\\VORN\\xll", false);
  EXPECT_EQ(create(&again), ERROR_SUCCESS);
  standin::clearRegistry();
  EXPECT_FALSE(standin::registryKeyExists("Software\\VORN\\xll"));
}

TEST_F(Standin, UserNameCountsTheTerminatingZero) {
  standin::setUserName("alice");
  char buf[16];
  DWORD size = 3;
  EXPECT_FALSE(GetUserNameA(buf, &size));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_TRUE(GetUserNameA(buf, &size));
  EXPECT_STREQ(buf, "alice");
}

TEST_F(Standin, ModulesAndProceduresAreFoundOnlyWhereExported) {
  EXPECT_EQ(GetModuleHandleA(ZR_XLL), nullptr);  // not loaded yet
  void* lib = dlopen(ZR_XLL, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  HMODULE m = GetModuleHandleA(ZR_XLL);
  EXPECT_EQ(static_cast<void*>(m), lib);
  EXPECT_NE(GetProcAddress(m, "?bsopt_fv"), nullptr);
  EXPECT_NE(GetProcAddress(m, "_xll_alert_filter@0"), nullptr);  // exported with '$'
  EXPECT_EQ(GetProcAddress(m, "Excel4v"), nullptr);  // a dependency's export
  HMODULE self = GetModuleHandleA(nullptr);  // the process image: the global scope
  EXPECT_NE(GetProcAddress(self, "Excel4v"), nullptr);
  EXPECT_EQ(GetProcAddress(self, "MdCallBack12"), nullptr);  // no host in this process
  dlclose(lib);  // the module handle does not keep the module loaded
  EXPECT_EQ(GetModuleHandleA(ZR_XLL), nullptr);
}
