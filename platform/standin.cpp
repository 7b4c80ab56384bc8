// Stand-in for the host's call-back library and the Windows functions the
// add-in uses. All state is per process; the control API is in standin.h.
#include "platform/standin.h"

#include <dlfcn.h>
#include <link.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winapi.h"
#include "platform/xlcall.h"

#define STANDIN_API extern "C" __attribute__((visibility("default")))

namespace {

constexpr DWORD kErrorInvalidWindowHandle = 1400;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;

thread_local DWORD lastError = 0;  // trivially destructible

// Never destroyed: add-ins close keys and free values from their own static
// destructors, which may run after ours at exit.
std::recursive_mutex& lock() {
  static auto* m = new std::recursive_mutex;
  return *m;
}
using Guard = std::lock_guard<std::recursive_mutex>;

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string loginName() {
  if (const passwd* pw = getpwuid(geteuid())) return pw->pw_name;
  if (const char* u = std::getenv("USER")) return u;
  return "user";
}

struct Key {
  std::string path;  // as first created
  std::map<std::string, std::pair<std::string, standin::RegistryValue>> values;  // lower name -> (name, value)
};

// Read on every call back, without the lock.
std::atomic<standin::CallHandler*> handler{nullptr};
// Bumped whenever windows are closed; an enumeration that sees it unchanged
// needs no lookup per window.
std::atomic<unsigned> windowsClosed{0};

struct State {
  std::vector<standin::Window> windows;           // creation order
  std::unordered_map<HWND, size_t> windowIndex;    // handle -> position in windows
  intptr_t nextWindow = 1;
  HWND active = nullptr;
  std::vector<int> script;
  int defaultAnswer = IDOK;
  std::vector<standin::MessageBoxShown> boxes;
  std::map<std::string, Key> keys;  // lower path -> key
  std::map<intptr_t, std::string> handles;  // open key handle -> lower path
  std::set<std::string> refused;            // lower paths that cannot be opened
  intptr_t nextKey = 0x100;
  std::string userName = loginName();
  int disableCalls = 0;
};

State& state() {
  static auto* s = new State;
  return *s;
}

standin::Window* findWindow(HWND h) {
  State& s = state();
  auto it = s.windowIndex.find(h);
  return it == s.windowIndex.end() ? nullptr : &s.windows[it->second];
}

void reindexWindows() {
  State& s = state();
  s.windowIndex.clear();
  for (size_t i = 0; i < s.windows.size(); ++i) s.windowIndex[s.windows[i].handle] = i;
}

std::string normalizePath(const std::string& p) {
  std::string out;
  for (char c : p) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

Key& makeKey(const std::string& path) {
  std::string n = normalizePath(path);
  auto& k = state().keys[lower(n)];
  if (k.path.empty()) k.path = n;
  // parents exist too
  for (size_t p = n.find('\\'); p != std::string::npos; p = n.find('\\', p + 1)) {
    auto& parent = state().keys[lower(n.substr(0, p))];
    if (parent.path.empty()) parent.path = n.substr(0, p);
  }
  return k;
}

Key* findKey(const std::string& path) {
  auto it = state().keys.find(lower(normalizePath(path)));
  return it == state().keys.end() ? nullptr : &it->second;
}

// The path of an open key handle; HKEY_CURRENT_USER is the root "".
bool keyPath(HKEY key, std::string& path) {
  if (key == HKEY_CURRENT_USER) {
    path.clear();
    return true;
  }
  auto it = state().handles.find(reinterpret_cast<intptr_t>(key));
  if (it == state().handles.end()) return false;
  path = it->second;
  return true;
}

// True when address lies in the very module behind handle.
bool definedIn(void* handle, void* address) {
  link_map* owner = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &owner) != 0 || !owner) return false;
  Dl_info info;
  link_map* found = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&found), RTLD_DL_LINKMAP) || !found) return false;
  return found == owner;
}

void* processImage() {
  static void* self = dlopen(nullptr, RTLD_LAZY);
  return self;
}

}  // namespace

// ---- control API ---------------------------------------------------------------

namespace platform {

std::string exportSymbol(const std::string& procedure) {
  std::string s = procedure;
  std::replace(s.begin(), s.end(), '@', '$');
  return s;
}

}  // namespace platform

namespace standin {

void setCallHandler(CallHandler* h) { handler.store(h); }

CallHandler* callHandler() { return handler.load(); }

HWND createWindow(const std::string& className, const std::string& title, HWND parent) {
  Guard g(lock());
  Window w;
  w.handle = reinterpret_cast<HWND>(state().nextWindow++);
  w.className = className;
  w.title = title;
  w.parent = parent;
  state().windowIndex[w.handle] = state().windows.size();
  state().windows.push_back(w);
  return w.handle;
}

bool destroyWindow(HWND window) {
  Guard g(lock());
  auto& ws = state().windows;
  if (!findWindow(window)) return false;
  // collect the window and everything under it
  std::vector<HWND> doomed{window};
  for (size_t i = 0; i < doomed.size(); ++i)
    for (auto& w : ws)
      if (w.parent == doomed[i] && std::find(doomed.begin(), doomed.end(), w.handle) == doomed.end())
        doomed.push_back(w.handle);
  ws.erase(std::remove_if(ws.begin(), ws.end(),
                          [&](const Window& w) {
                            return std::find(doomed.begin(), doomed.end(), w.handle) != doomed.end();
                          }),
           ws.end());
  reindexWindows();
  ++windowsClosed;
  if (std::find(doomed.begin(), doomed.end(), state().active) != doomed.end()) state().active = nullptr;
  return true;
}

std::vector<Window> windows() {
  Guard g(lock());
  return state().windows;
}

void setActiveWindow(HWND window) {
  Guard g(lock());
  state().active = window;
}

void scriptMessageBoxes(const std::vector<int>& answers) {
  Guard g(lock());
  state().script.insert(state().script.end(), answers.begin(), answers.end());
}

void setDefaultMessageBoxAnswer(int answer) {
  Guard g(lock());
  state().defaultAnswer = answer;
}

std::vector<MessageBoxShown> messageBoxes() {
  Guard g(lock());
  return state().boxes;
}

void clearMessageBoxes() {
  Guard g(lock());
  state().boxes.clear();
  state().script.clear();
}

bool registryKeyExists(const std::string& key) {
  Guard g(lock());
  return findKey(key) != nullptr;
}

bool registryValue(const std::string& key, const std::string& name, RegistryValue& value) {
  Guard g(lock());
  Key* k = findKey(key);
  if (!k) return false;
  auto it = k->values.find(lower(name));
  if (it == k->values.end()) return false;
  value = it->second.second;
  return true;
}

void setRegistryValue(const std::string& key, const std::string& name, const RegistryValue& value) {
  Guard g(lock());
  makeKey(key).values[lower(name)] = {name, value};
}

bool deleteRegistryValue(const std::string& key, const std::string& name) {
  Guard g(lock());
  Key* k = findKey(key);
  return k && k->values.erase(lower(name)) > 0;
}

void clearRegistry() {
  Guard g(lock());
  state().keys.clear();
  state().handles.clear();
}

int openRegistryKeys() {
  Guard g(lock());
  return static_cast<int>(state().handles.size());
}

void refuseRegistryKey(const std::string& key, bool refuse) {
  Guard g(lock());
  std::string k = lower(normalizePath(key));
  if (refuse)
    state().refused.insert(k);
  else
    state().refused.erase(k);
}

void setUserName(const std::string& name) {
  Guard g(lock());
  state().userName = name;
}

int disableThreadLibraryCallsCount() {
  Guard g(lock());
  return state().disableCalls;
}

void reset() {
  Guard g(lock());
  State& s = state();
  s.windows.clear();
  s.windowIndex.clear();
  ++windowsClosed;
  s.active = nullptr;
  s.script.clear();
  s.defaultAnswer = IDOK;
  s.boxes.clear();
  s.keys.clear();
  s.handles.clear();
  s.refused.clear();
  s.userName = loginName();
  s.disableCalls = 0;
}

}  // namespace standin

// ---- call-back library ---------------------------------------------------------

STANDIN_API int XLCallVer(void) {
  standin::CallHandler* h = standin::callHandler();
  return h ? h->version() : 0;
}

STANDIN_API int Excel4v(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]) {
  standin::CallHandler* h = standin::callHandler();
  if (!h) return xlretFailed;
  if (count < 0 || (count > 0 && !opers)) return xlretInvCount;
  return h->call(xlfn, operRes, count, opers);
}

STANDIN_API int Excel4(int xlfn, LPXLOPER operRes, int count, ...) {
  if (count < 0 || count > 255) return xlretInvCount;
  LPXLOPER opers[255];
  va_list ap;
  va_start(ap, count);
  for (int i = 0; i < count; ++i) opers[i] = va_arg(ap, LPXLOPER);
  va_end(ap);
  return Excel4v(xlfn, operRes, count, opers);
}

// ---- kernel32 ------------------------------------------------------------------

STANDIN_API BOOL DisableThreadLibraryCalls(HMODULE module) {
  Guard g(lock());
  ++state().disableCalls;
  return module ? TRUE : FALSE;
}

STANDIN_API HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) return reinterpret_cast<HMODULE>(processImage());
  // A handle of an already loaded module, without keeping a reference of our own.
  void* h = dlopen(moduleName, RTLD_LAZY | RTLD_NOLOAD);
  if (!h) {
    lastError = kErrorModNotFound;
    return nullptr;
  }
  dlclose(h);
  return reinterpret_cast<HMODULE>(h);
}

STANDIN_API FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  if (!module || !procName) {
    lastError = kErrorProcNotFound;
    return nullptr;
  }
  const std::string symbol = platform::exportSymbol(procName);
  dlerror();
  void* p = dlsym(module, symbol.c_str());
  // dlsym on a library also searches what it depends on; only the module's
  // own exports count. The process image stands for the global scope.
  if (p && module != reinterpret_cast<HMODULE>(processImage()) && !definedIn(module, p)) p = nullptr;
  if (!p) {
    lastError = kErrorProcNotFound;
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(p);
}

STANDIN_API DWORD GetLastError(void) { return lastError; }

// ---- user32 --------------------------------------------------------------------

STANDIN_API BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  // a few handles in place, more on the heap
  HWND here[16];
  std::vector<HWND> more;
  HWND* handles = here;
  size_t n = 0;
  unsigned closed = 0;
  {
    Guard g(lock());
    closed = windowsClosed.load();
    n = state().windows.size();
    if (n > std::size(here)) {
      more.resize(n);
      handles = more.data();
    }
    for (size_t i = 0; i < n; ++i) handles[i] = state().windows[i].handle;
  }
  for (size_t i = 0; i < n; ++i) {
    HWND h = handles[i];
    if (windowsClosed.load() != closed) {
      Guard g(lock());
      if (!findWindow(h)) continue;  // closed by an earlier callback
    }
    if (!proc(h, lParam)) break;
  }
  return TRUE;
}

STANDIN_API HWND GetParent(HWND hwnd) {
  Guard g(lock());
  standin::Window* w = findWindow(hwnd);
  if (!w) {
    lastError = kErrorInvalidWindowHandle;
    return nullptr;
  }
  return w->parent;
}

namespace {
// Copies at most maxCount - 1 characters and a terminating zero; the number
// of characters copied.
int copyOut(const std::string& s, LPSTR buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  size_t n = std::min(s.size(), static_cast<size_t>(maxCount - 1));
  std::memcpy(buffer, s.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}
}  // namespace

STANDIN_API int GetClassNameA(HWND hwnd, LPSTR className, int maxCount) {
  Guard g(lock());
  standin::Window* w = findWindow(hwnd);
  if (!w) {
    lastError = kErrorInvalidWindowHandle;
    if (className && maxCount > 0) className[0] = 0;
    return 0;
  }
  return copyOut(w->className, className, maxCount);
}

STANDIN_API int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount) {
  Guard g(lock());
  standin::Window* w = findWindow(hwnd);
  if (!w) {
    lastError = kErrorInvalidWindowHandle;
    if (text && maxCount > 0) text[0] = 0;
    return 0;
  }
  return copyOut(w->title, text, maxCount);
}

STANDIN_API HWND GetActiveWindow(void) {
  Guard g(lock());
  return findWindow(state().active) ? state().active : nullptr;
}

STANDIN_API int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  Guard g(lock());
  State& s = state();
  int answer = s.defaultAnswer;
  if (!s.script.empty()) {
    answer = s.script.front();
    s.script.erase(s.script.begin());
  }
  if ((type & 0xF) == MB_OK) answer = IDOK;
  standin::MessageBoxShown box;
  box.owner = owner;
  box.text = text ? text : "";
  box.caption = caption ? caption : "Error";
  box.type = type;
  box.answer = answer;
  s.boxes.push_back(box);
  return answer;
}

// ---- advapi32 ------------------------------------------------------------------

STANDIN_API LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                    REGSAM samDesired, const void* securityAttributes, PHKEY result,
                                    LPDWORD disposition) {
  Guard g(lock());
  if (!result) return ERROR_INVALID_PARAMETER;
  std::string base;
  if (!keyPath(key, base)) return ERROR_INVALID_HANDLE;
  std::string sub = subKey ? normalizePath(subKey) : std::string();
  std::string path = base.empty() ? sub : (sub.empty() ? base : base + "\\" + sub);
  if (state().refused.count(lower(path))) return ERROR_ACCESS_DENIED;
  bool existed = findKey(path) != nullptr;
  Key& k = makeKey(path);
  intptr_t h = state().nextKey++;
  state().handles[h] = lower(normalizePath(k.path));
  *result = reinterpret_cast<HKEY>(h);
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  return ERROR_SUCCESS;
}

STANDIN_API LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                     LPDWORD cbData) {
  Guard g(lock());
  std::string path;
  if (!keyPath(key, path)) return ERROR_INVALID_HANDLE;
  if (data && !cbData) return ERROR_INVALID_PARAMETER;
  Key* k = findKey(path);
  if (!k) return ERROR_FILE_NOT_FOUND;
  auto it = k->values.find(lower(valueName ? valueName : ""));
  if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
  const standin::RegistryValue& v = it->second.second;
  if (type) *type = v.type;
  const DWORD need = static_cast<DWORD>(v.data.size());
  if (!cbData) return ERROR_SUCCESS;
  if (!data) {
    *cbData = need;
    return ERROR_SUCCESS;
  }
  if (*cbData < need) {
    *cbData = need;
    return ERROR_MORE_DATA;
  }
  if (need) std::memcpy(data, v.data.data(), need);
  *cbData = need;
  return ERROR_SUCCESS;
}

STANDIN_API LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                   DWORD cbData) {
  Guard g(lock());
  std::string path;
  if (!keyPath(key, path)) return ERROR_INVALID_HANDLE;
  if (cbData && !data) return ERROR_INVALID_PARAMETER;
  standin::RegistryValue v;
  v.type = type;
  if (cbData) v.data.assign(data, data + cbData);
  const std::string name = valueName ? valueName : "";
  makeKey(path).values[lower(name)] = {name, v};
  return ERROR_SUCCESS;
}

STANDIN_API LSTATUS RegCloseKey(HKEY key) {
  Guard g(lock());
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  return state().handles.erase(reinterpret_cast<intptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

STANDIN_API BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
  Guard g(lock());
  if (!size) {
    lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  const std::string& name = state().userName;
  const DWORD need = static_cast<DWORD>(name.size() + 1);
  if (!buffer || *size < need) {
    *size = need;
    lastError = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), need);
  *size = need;
  return TRUE;
}
