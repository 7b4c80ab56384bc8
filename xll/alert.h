// Alert levels: which kinds of alert are shown, kept in the registry.
#pragma once

#include <string>

#include "platform/winapi.h"

namespace xll {

enum : DWORD {
  XLL_ALERT_ERROR = 1,
  XLL_ALERT_WARNING = 2,
  XLL_ALERT_INFO = 4,
};

// Reads the level from the registry (the key is opened or created here and
// kept open); a missing or mistyped value makes it 3, written back. A key
// that cannot be opened leaves the level at 3 and a notice to show.
void LoadAlertLevel();

// The notice left by loading the level ("" for none), given only once.
std::string TakeAlertNotice();

// The cached level.
DWORD AlertLevel();
// Clears or sets a bit of the cached level and writes it to the registry.
void AlertClear(DWORD bit);
void AlertSet(DWORD bit);

// Shows text in an error message box when errors are shown (or forced);
// Cancel turns error alerts off. Gives the box's answer, 0 when not shown.
int AlertError(const char* text, bool forced = false);

// Runs the alert-filter dialog; 0 when the host refused it.
int AlertFilter();

}  // namespace xll
