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

TEST_F(Standin, CallBackWithoutHandlerFails) {
  ASSERT_EQ(standin::callHandler(), nullptr);
  xloper r;
  EXPECT_EQ(Excel4(xlGetName, &r, 0), xlretFailed);
  EXPECT_EQ(Excel4v(xlGetName, &r, 0, nullptr), xlretFailed);
  EXPECT_EQ(XLCallVer(), 0);
}

TEST_F(Standin, CallBackForwardsToHandler) {
  struct Recorder : standin::CallHandler {
    int fn = 0, count = 0;
    std::vector<double> args;
    int version() override { return 0x0B00; }
    int call(int xlfn, LPXLOPER result, int n, LPXLOPER opers[]) override {
      fn = xlfn;
      count = n;
      for (int i = 0; i < n; ++i) args.push_back(opers[i]->val.num);
      result->xltype = xltypeNum;
      result->val.num = 7;
      return xlretUncalced;
    }
  } rec;
  standin::setCallHandler(&rec);
  xloper a, b, r;
  a.xltype = b.xltype = xltypeNum;
  a.val.num = 1;
  b.val.num = 2;
  EXPECT_EQ(Excel4(xlfSearch, &r, 2, &a, &b), xlretUncalced);
  EXPECT_EQ(XLCallVer(), 0x0B00);
  standin::setCallHandler(nullptr);
  EXPECT_EQ(rec.fn, xlfSearch);
  EXPECT_EQ(rec.args, (std::vector<double>{1, 2}));
  EXPECT_EQ(r.val.num, 7);
}

TEST_F(Standin, WindowsEnumerateInCreationOrderWithClassTitleParent) {
  HWND main = standin::createWindow("XLMAIN", "Book1", nullptr);
  HWND wiz = standin::createWindow("bosa_sdm_XL9", "Function Arguments", main);
  HWND other = standin::createWindow("Other", "", nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_NE(main, wiz);
  std::vector<HWND> seen;
  EXPECT_TRUE(EnumWindows(collect, reinterpret_cast<LPARAM>(&seen)));
  EXPECT_EQ(seen, (std::vector<HWND>{main, wiz, other}));
  seen.clear();
  EnumWindows(stopAtSecond, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen.size(), 2u);

  EXPECT_EQ(GetParent(wiz), main);
  EXPECT_EQ(GetParent(main), nullptr);
  char buf[64];
  EXPECT_EQ(GetClassNameA(wiz, buf, sizeof buf), 12);
  EXPECT_STREQ(buf, "bosa_sdm_XL9");
  EXPECT_EQ(GetClassNameA(wiz, buf, 5), 4);  // cut, with its terminating zero
  EXPECT_STREQ(buf, "bosa");
  EXPECT_EQ(GetWindowTextA(wiz, buf, sizeof buf), 18);
  EXPECT_STREQ(buf, "Function Arguments");
  EXPECT_EQ(GetWindowTextA(other, buf, sizeof buf), 0);
  EXPECT_EQ(GetClassNameA(reinterpret_cast<HWND>(0x7FFF), buf, sizeof buf), 0);
  EXPECT_EQ(GetWindowTextA(reinterpret_cast<HWND>(0x7FFF), buf, sizeof buf), 0);

  standin::setActiveWindow(main);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(standin::destroyWindow(main));  // and the wizard under it
  EXPECT_EQ(GetActiveWindow(), nullptr);
  ASSERT_EQ(standin::windows().size(), 1u);
  EXPECT_EQ(standin::windows()[0].handle, other);
  EXPECT_FALSE(standin::destroyWindow(wiz));
}

TEST_F(Standin, MessageBoxesFollowTheScriptAndAreRecorded) {
  HWND owner = standin::createWindow("XLMAIN", "", nullptr);
  standin::scriptMessageBoxes({IDCANCEL, IDCANCEL});
  EXPECT_EQ(MessageBoxA(owner, "first", "Error", MB_OKCANCEL | MB_ICONERROR), IDCANCEL);
  EXPECT_EQ(MessageBoxA(owner, "no cancel button", "Info", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "default", "Error", MB_OKCANCEL), IDOK);
  standin::setDefaultMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "new default", nullptr, MB_OKCANCEL), IDCANCEL);
  auto boxes = standin::messageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].owner, owner);
  EXPECT_EQ(boxes[0].text, "first");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].type, MB_OKCANCEL | MB_ICONERROR);
  EXPECT_EQ(boxes[0].answer, IDCANCEL);
  EXPECT_EQ(boxes[1].answer, IDOK);
  standin::clearMessageBoxes();
  EXPECT_TRUE(standin::messageBoxes().empty());
}

TEST_F(Standin, RegistryKeysAndValuesBehaveAsWindows) {
  HKEY key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VORN\\xll", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  EXPECT_TRUE(standin::registryKeyExists("software\\vorn\\XLL"));

  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "xll_alert_level", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  DWORD three = 3;
  EXPECT_EQ(RegSetValueExA(key, "xll_alert_level", 0, REG_DWORD, reinterpret_cast<BYTE*>(&three), sizeof three),
            ERROR_SUCCESS);
  size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "XLL_ALERT_LEVEL", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(size, 4u);

  // size query, too small a buffer
  const char text[] = "hello";
  RegSetValueExA(key, "name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  char small[3];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "name", nullptr, &type, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);

  HKEY again;
  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VORN\\xll", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                  nullptr, &again, &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(standin::openRegistryKeys(), 2);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(again), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "name", nullptr, &type, nullptr, &size), ERROR_INVALID_HANDLE);

  standin::RegistryValue v;
  ASSERT_TRUE(standin::registryValue("Software\\VORN\\xll", "xll_alert_level", v));
  EXPECT_EQ(v.type, DWORD(REG_DWORD));
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
  size = sizeof buf;
  EXPECT_TRUE(GetUserNameA(buf, &size));
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(buf, "alice");
}

TEST_F(Standin, ModulesAndProceduresAreFoundOnlyWhereExported) {
  EXPECT_EQ(GetModuleHandleA(TESTADDIN), nullptr);  // not loaded yet
  void* lib = dlopen(TESTADDIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  HMODULE m = GetModuleHandleA(TESTADDIN);
  EXPECT_EQ(static_cast<void*>(m), lib);
  EXPECT_NE(GetProcAddress(m, "ta_num"), nullptr);
  EXPECT_NE(GetProcAddress(m, "?ta_q"), nullptr);
  EXPECT_NE(GetProcAddress(m, "ta_at@4"), nullptr);  // exported as ta_at$4
  EXPECT_EQ(GetProcAddress(m, "ta_hidden"), nullptr);   // in the module, not exported
  EXPECT_EQ(GetProcAddress(m, "Excel4v"), nullptr);     // a dependency's export
  EXPECT_EQ(GetProcAddress(m, "malloc"), nullptr);
  EXPECT_EQ(GetProcAddress(m, "no_such_thing"), nullptr);
  // the process image stands for the global scope
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_NE(GetProcAddress(self, "Excel4v"), nullptr);
  EXPECT_EQ(GetProcAddress(self, "MdCallBack12"), nullptr);  // no host in this process
  // the module handle does not keep the module loaded
  dlclose(lib);
  EXPECT_EQ(GetModuleHandleA(TESTADDIN), nullptr);
}
