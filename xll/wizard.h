// Is the host's function wizard open?
#pragma once

#include "platform/winapi.h"

namespace xll {

// What the window enumeration looks for.
struct WizardSearch {
  bool found;
  WORD hwnd;          // low word of the host's main window
  const char* title;  // wanted title; empty or null matches any
};

// Enumeration callback: stops (returns 0) at a wizard dialog under the host.
BOOL CALLBACK EnumProcWizard(HWND hwnd, LPARAM search);

// True when a function-wizard dialog of the host is open. A host that does
// not give its window counts as no wizard.
bool InWizard();

}  // namespace xll
