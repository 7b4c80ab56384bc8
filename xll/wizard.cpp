#include "xll/wizard.h"

#include <strings.h>

#include <cstdint>

#include "platform/xlcall.h"

namespace xll {

BOOL CALLBACK EnumProcWizard(HWND hwnd, LPARAM lParam) {
  WizardSearch& search = *reinterpret_cast<WizardSearch*>(lParam);
  if (static_cast<WORD>(reinterpret_cast<uintptr_t>(GetParent(hwnd))) != search.hwnd) return TRUE;
  char name[51];
  if (GetClassNameA(hwnd, name, 50) == 0 || strncasecmp(name, "bosa_sdm_xl", 11) != 0) return TRUE;
  if (search.title) {
    char title[51];
    bool wanted = search.title[0] != 0;
    if (GetWindowTextA(hwnd, title, 50) > 0) {
      if (wanted && strcasecmp(title, search.title) != 0) return TRUE;
    } else if (wanted) {
      return TRUE;
    }
  }
  search.found = true;
  return FALSE;
}

bool InWizard() {
  XLOPER hwnd;
  if (Excel4(xlGetHwnd, &hwnd, 0) != xlretSuccess) return false;
  WizardSearch search{false, static_cast<WORD>(hwnd.val.w), ""};
  EnumWindows(EnumProcWizard, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace xll
