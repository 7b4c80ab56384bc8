// The lifecycle hooks the host calls.
#include "xll/auto.h"

#include "platform/export.h"
#include "platform/fpstate.h"
#include "xll/alert.h"
#include "xll/category.h"
#include "xll/register.h"

using xll::AddIn;
using xll::AddIn12;
using xll::Auto;
using namespace xll;

namespace {

// Shows a text in a host alert (cut to what a host text holds). Nothing
// escapes, not even a refused alert.
void hostAlert(const char* what) noexcept {
  try {
    std::string text(what);
    if (text.size() > xll::limits<xloper>::maxchars) text.resize(xll::limits<xloper>::maxchars);
    Excel(xlcAlert, OPER(text));
  } catch (...) {
  }
}

// Shows a caught failure and gives 0.
int hookFailed(const char* what) noexcept {
  hostAlert(what);
  return 0;
}

bool wide() { return XLCallVer() >= 0x0C00; }

// Runs a hook body with the hooks' catch, in the standard floating-point state.
template <class F>
int hook(F&& body) noexcept {
  platform::FpScope standard;
  try {
    return body();
  } catch (const std::exception& e) {
    return hookFailed(e.what());
  } catch (...) {
    return hookFailed("Unknown Error");
  }
}

// Registers a function on the host's request, over either kind of value.
template <class X>
XOPER<X>& autoRegister(XOPER<X>& result, const X* name) {
  platform::FpScope standard;
  try {
    const XArgs<X>* match = nullptr;
    if (name)
      for (const auto& [id, args] : RegisterIdMap<X>())
        if (equal(static_cast<const X&>(args[ArgFunction]), *name)) {
          match = &args;
          break;
        }
    // An unknown name never answers with an earlier registration's id.
    result = match ? Register(*match, 0) : XOPER<X>();
  } catch (const std::exception& e) {
    AlertError(e.what());
    result = XOPER<X>::error(xlerrValue);
  } catch (...) {
    AlertError("Unknown Error");
    result = XOPER<X>::error(xlerrValue);
  }
  return result;
}

}  // namespace

XLL_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}

XLL_EXPORT int xlAutoOpen() {
  return hook([] {
    if (!LoadFailure().empty()) return hookFailed(LoadFailure().c_str());
    std::string notice = TakeAlertNotice();
    if (!notice.empty()) hostAlert(notice.c_str());
    XLL_ENSURE("xlAutoOpen", Auto<Open>::Call());
    XLL_ENSURE("xlAutoOpen", AddIn::RegisterAll());
    XLL_ENSURE("xlAutoOpen", Auto<OpenAfter>::Call());
    if (!wide()) return 1;
    XLL_ENSURE("xlAutoOpen", Auto<Open12>::Call());
    XLL_ENSURE("xlAutoOpen", AddIn12::RegisterAll());
    XLL_ENSURE("xlAutoOpen", Auto<OpenAfter12>::Call());
    return 1;
  });
}

XLL_EXPORT int xlAutoClose() {
  return hook([] {
    XLL_ENSURE("xlAutoClose", Auto<Close>::Call());
    if (wide()) XLL_ENSURE("xlAutoClose", Auto<Close12>::Call());
    return 1;
  });
}

XLL_EXPORT int xlAutoAdd() {
  return hook([] {
    XLL_ENSURE("xlAutoAdd", Auto<Add>::Call());
    if (wide()) XLL_ENSURE("xlAutoAdd", Auto<Add12>::Call());
    return 1;
  });
}

XLL_EXPORT int xlAutoRemove() {
  return hook([] {
    XLL_ENSURE("xlAutoRemove", Auto<RemoveBefore>::Call());
    XLL_ENSURE("xlAutoRemove", AddIn::UnregisterAll());
    XLL_ENSURE("xlAutoRemove", Auto<Remove>::Call());
    if (!wide()) return 1;
    XLL_ENSURE("xlAutoRemove", Auto<RemoveBefore12>::Call());
    XLL_ENSURE("xlAutoRemove", AddIn12::UnregisterAll());
    XLL_ENSURE("xlAutoRemove", Auto<Remove12>::Call());
    return 1;
  });
}

XLL_EXPORT LPXLOPER xlAutoRegister(LPXLOPER name) {
  static OPER result;
  return &autoRegister(result, static_cast<const xloper*>(name));
}

XLL_EXPORT LPXLOPER12 xlAutoRegister12(LPXLOPER12 name) {
  static OPER12 result;
  return &autoRegister(result, static_cast<const xloper12*>(name));
}

// Every value the add-in returns is its own: nothing to free.
XLL_EXPORT void xlAutoFree(void* value) {}
#ifndef _WIN32  // on Windows the module-definition file exports it under both names
XLL_EXPORT void xlAutoFree12(void* value) __attribute__((alias("xlAutoFree")));
#endif
