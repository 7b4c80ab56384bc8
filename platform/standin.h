// Control side of the stand-in for the host's call-back library and the
// Windows functions (libxlplatform). The simulated host and the tests use it
// to install the call-back handler and to script and inspect windows, message
// boxes, the registry and the user name.
#pragma once

#include <string>
#include <vector>

#include "platform/xlcall.h"

namespace platform {

// The ELF symbol under which a procedure is exported: the name with every
// '@' turned into '$'. GetProcAddress looks names up through this.
std::string exportSymbol(const std::string& procedure);

}  // namespace platform

namespace standin {

// ---- call-back ---------------------------------------------------------------

// What Excel4, Excel4v and XLCallVer forward to.
class CallHandler {
 public:
  virtual ~CallHandler() = default;
  virtual int version() = 0;
  virtual int call(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]) = 0;
};

// Installs the handler (null removes it). Without one, Excel4/Excel4v answer
// 32 (command failed) and XLCallVer 0.
void setCallHandler(CallHandler* handler);
CallHandler* callHandler();

// ---- windows -------------------------------------------------------------------

struct Window {
  HWND handle = nullptr;
  std::string className;
  std::string title;
  HWND parent = nullptr;
};

// Creates a window; handles are small distinct non-zero integers, never reused.
HWND createWindow(const std::string& className, const std::string& title, HWND parent = nullptr);
// Destroys a window and every window under it; false when unknown.
bool destroyWindow(HWND window);
// Every live window in creation order (the order EnumWindows walks).
std::vector<Window> windows();
// What GetActiveWindow answers (null when nothing is active or the window is gone).
void setActiveWindow(HWND window);

// ---- message boxes -------------------------------------------------------------

struct MessageBoxShown {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
};

// Answers for the next message boxes, used in order (IDOK, IDCANCEL). When the
// script is used up the default answer applies (IDOK unless changed). A box
// without a Cancel button (MB_OK) always answers IDOK but still uses one
// scripted answer.
void scriptMessageBoxes(const std::vector<int>& answers);
void setDefaultMessageBoxAnswer(int answer);
// Every message box shown since the last clear, in order.
std::vector<MessageBoxShown> messageBoxes();
void clearMessageBoxes();

// ---- registry (HKEY_CURRENT_USER only, volatile, per process) ------------------

struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Key paths are relative to HKEY_CURRENT_USER ("Software\\VORN\\xll") and
// compared without regard to letter case, as are value names.
bool registryKeyExists(const std::string& key);
// False when the key or the value does not exist.
bool registryValue(const std::string& key, const std::string& name, RegistryValue& value);
// Creates the key when needed.
void setRegistryValue(const std::string& key, const std::string& name, const RegistryValue& value);
inline void setRegistryDword(const std::string& key, const std::string& name, DWORD value) {
  RegistryValue v;
  v.type = REG_DWORD;
  v.data.assign(reinterpret_cast<const BYTE*>(&value), reinterpret_cast<const BYTE*>(&value) + sizeof value);
  setRegistryValue(key, name, v);
}
// A text value, stored with its terminating zero.
inline void setRegistryString(const std::string& key, const std::string& name, const std::string& value) {
  RegistryValue v;
  v.type = REG_SZ;
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  setRegistryValue(key, name, v);
}
bool deleteRegistryValue(const std::string& key, const std::string& name);
// Removes every key and value; open key handles become invalid.
void clearRegistry();
// Key handles currently open (RegCreateKeyExA without RegCloseKey).
int openRegistryKeys();
// Makes RegCreateKeyExA of the key answer ERROR_ACCESS_DENIED (or no longer).
void refuseRegistryKey(const std::string& key, bool refuse = true);

// ---- other state ---------------------------------------------------------------

// What GetUserNameA answers (at start: the login name of the process owner).
void setUserName(const std::string& name);
// How often DisableThreadLibraryCalls was called.
int disableThreadLibraryCallsCount();

// Back to the starting state: no windows, no registry, no message boxes or
// scripts or refused keys, default answer IDOK, the login user name. The
// handler stays.
void reset();

}  // namespace standin
