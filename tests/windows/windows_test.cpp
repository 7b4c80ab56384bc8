// What only the Windows build can get wrong: the DLLs' exports and imports,
// failures kept inside the add-in across its boundary, the real registry.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "tests/support/addin_test.h"

namespace {

using zrtest::HostTest;

std::string upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The DLLs a loaded module imports, from its import directory.
std::set<std::string> importsOf(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::set<std::string> names;
  for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d)
    names.insert(upper(reinterpret_cast<const char*>(base + d->Name)));
  return names;
}

TEST_F(HostTest, ExportsAndImportsOfTheDlls) {
  HMODULE xlcall = GetModuleHandleA("XLCALL32.DLL");
  ASSERT_NE(xlcall, nullptr);
  const char* byOrdinal[] = {"XLCallVer", "Excel4", "Excel4v"};  // ordinals 1 to 3
  for (WORD i = 0; i < 3; ++i)
    EXPECT_EQ(GetProcAddress(xlcall, MAKEINTRESOURCEA(i + 1)), GetProcAddress(xlcall, byOrdinal[i])) << i;

  load(ZR_XLL);
  auto module = static_cast<HMODULE>(host.moduleHandle());
  size_t procedures = 0;
  for (const auto& r : host.registrations()) {
    EXPECT_NE(r.address, nullptr) << r.procedure;
    procedures += r.address != nullptr;
  }
  EXPECT_EQ(procedures, 179u);  // 177 functions and 2 commands
  EXPECT_NE(host.procedure("_xll_alert_filter@0"), nullptr);
  EXPECT_EQ(host.symbol("xlAutoFree12"), host.symbol("xlAutoFree"));
  // Linked -static: system DLLs and the host's call-back library only.
  const std::set<std::string> allowed{"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL", "WS2_32.DLL",
                                      "XLCALL32.DLL"};
  for (const std::string& dll : importsOf(module)) EXPECT_TRUE(allowed.count(dll)) << dll;
}

// A refused registration raises inside xlAutoOpen; the hook catches it, shows
// it and answers 0, and the host goes on.
TEST_F(HostTest, AFailingHookAnswersZeroInsteadOfThrowing) {
  host.refuseRegistration("?bsopt_fv");
  std::string error;
  ASSERT_TRUE(host.load(ZR_XLL, &error)) << error;
  EXPECT_EQ(host.autoOpenResult(), 0);
  ASSERT_EQ(host.alerts().size(), 2u);
  EXPECT_EQ(host.alerts()[0], "?bsopt_fv: failed to register.\nDid you forget #pragma XLLEXPORT?");
  EXPECT_NE(host.alerts()[1].find("ensure: \"AddIn::RegisterAll()\" failed"), std::string::npos);
  EXPECT_EQ(host.function("bsopt_delta"), nullptr);  // the walk stopped
  EXPECT_EQ(enter("A1", "=bsopt_create(100,100,0.2,0.05,0,1,TRUE)").str, "#hndl1");
}

TEST_F(HostTest, TheAlertLevelLivesInTheRealRegistry) {
  standin::RegistryValue level;
  for (DWORD stored : {0u, 5u}) {
    standin::clearRegistry();
    if (stored) standin::setRegistryDword("Software\\VORN\\xll", "xll_alert_level", stored);
    load(ZR_XLL);
    ASSERT_TRUE(standin::registryValue("Software\\VORN\\xll", "xll_alert_level", level));
    ASSERT_EQ(level.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(level.data.data()), stored ? stored : 3u);  // 3 written when missing
    host.unload();
  }
  standin::clearRegistry();
}

}  // namespace
