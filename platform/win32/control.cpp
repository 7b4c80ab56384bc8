// The control side of the platform on Windows. The add-in calls the real
// Windows functions, so the host's windows and the registry are real ones;
// the call-back handler lives in XLCALL32.DLL. What Windows gives no way to
// script or observe (message-box answers, a refused key, the user name, the
// count of DisableThreadLibraryCalls) is not available here.
#include <set>
#include <string>
#include <vector>

#include "platform/standin.h"

extern "C" {
__declspec(dllimport) void xlcallSetHandler(standin::CallHandler* h);
__declspec(dllimport) standin::CallHandler* xlcallHandler(void);
}

namespace {

const char* const kOwnKey = "Software\\VORN";  // what reset and clearRegistry remove

std::set<HWND>& created() {
  static auto* s = new std::set<HWND>;
  return *s;
}

bool ensureClass(const std::string& name) {
  static auto* known = new std::set<std::string>;
  if (known->count(name)) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  known->insert(name);
  return true;
}

BOOL CALLBACK collect(HWND hwnd, LPARAM out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  standin::Window w;
  w.handle = hwnd;
  char text[256];
  w.className.assign(text, static_cast<size_t>(GetClassNameA(hwnd, text, sizeof text)));
  w.title.assign(text, static_cast<size_t>(GetWindowTextA(hwnd, text, sizeof text)));
  w.parent = GetParent(hwnd);
  reinterpret_cast<std::vector<standin::Window>*>(out)->push_back(w);
  return TRUE;
}

}  // namespace

namespace platform {

// Windows exports a procedure under its registered name as it stands.
std::string exportSymbol(const std::string& procedure) { return procedure; }

}  // namespace platform

namespace standin {

void setCallHandler(CallHandler* handler) { xlcallSetHandler(handler); }
CallHandler* callHandler() { return xlcallHandler(); }

// A window with a parent is an owned pop-up, so that EnumWindows sees it and
// GetParent answers the owner, as for the host's dialogs.
HWND createWindow(const std::string& className, const std::string& title, HWND parent) {
  if (!ensureClass(className)) return nullptr;
  HWND w = CreateWindowExA(0, className.c_str(), title.c_str(), parent ? WS_POPUP : WS_OVERLAPPEDWINDOW,
                           0, 0, 100, 100, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (w) created().insert(w);
  return w;
}

bool destroyWindow(HWND window) {
  if (!IsWindow(window)) return false;
  created().erase(window);
  return DestroyWindow(window) != 0;
}

std::vector<Window> windows() {
  std::vector<Window> out;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&out));
  return out;
}

void setActiveWindow(HWND window) {
  if (window) SetActiveWindow(window);
}

void scriptMessageBoxes(const std::vector<int>&) {}
void setDefaultMessageBoxAnswer(int) {}
std::vector<MessageBoxShown> messageBoxes() { return {}; }
void clearMessageBoxes() {}

bool registryKeyExists(const std::string& key) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool registryValue(const std::string& key, const std::string& name, RegistryValue& value) {
  DWORD type = 0, size = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                   &size) != ERROR_SUCCESS)
    return false;
  value.type = type;
  value.data.resize(size);
  return RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                      size ? value.data.data() : nullptr, &size) == ERROR_SUCCESS;
}

void setRegistryValue(const std::string& key, const std::string& name, const RegistryValue& value) {
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(h, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
  RegCloseKey(h);
}

bool deleteRegistryValue(const std::string& key, const std::string& name) {
  return RegDeleteKeyValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str()) == ERROR_SUCCESS;
}

void clearRegistry() { RegDeleteTreeA(HKEY_CURRENT_USER, kOwnKey), RegDeleteKeyA(HKEY_CURRENT_USER, kOwnKey); }
int openRegistryKeys() { return -1; }
void refuseRegistryKey(const std::string&, bool) {}
void setUserName(const std::string&) {}
int disableThreadLibraryCallsCount() { return -1; }

void reset() {
  for (HWND w : std::vector<HWND>(created().begin(), created().end())) destroyWindow(w);
  clearRegistry();
}

}  // namespace standin
