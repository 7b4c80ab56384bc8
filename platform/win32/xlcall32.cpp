// XLCALL32.DLL as the Windows host provides it: the call-back version, the
// classic call-back and its array form, forwarded to the handler that the
// host installs.
#include <cstdarg>
#include <vector>

#include "platform/standin.h"
#include "platform/xlcall.h"

namespace {
standin::CallHandler* handler = nullptr;
}

extern "C" {

__declspec(dllexport) void xlcallSetHandler(standin::CallHandler* h) { handler = h; }
__declspec(dllexport) standin::CallHandler* xlcallHandler(void) { return handler; }

__declspec(dllexport) int WINAPI XLCallVer(void) { return handler ? handler->version() : 0; }

__declspec(dllexport) int WINAPI Excel4v(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]) {
  if (!handler) return xlretFailed;
  if (count < 0 || (count > 0 && !opers)) return xlretInvCount;
  try {
    return handler->call(xlfn, operRes, count, opers);
  } catch (...) {
    return xlretFailed;  // nothing crosses back into the add-in
  }
}

__declspec(dllexport) int Excel4(int xlfn, LPXLOPER operRes, int count, ...) {
  if (count < 0 || count > 255) return xlretInvCount;
  LPXLOPER opers[255];
  va_list ap;
  va_start(ap, count);
  for (int i = 0; i < count; ++i) opers[i] = va_arg(ap, LPXLOPER);
  va_end(ap);
  return Excel4v(xlfn, operRes, count, opers);
}

}  // extern "C"
