// The few POSIX loader calls the simulated host makes, over LoadLibrary.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define RTLD_LAZY 0x1
#define RTLD_NOW 0x2
#define RTLD_LOCAL 0x0
#define RTLD_NOLOAD 0x4

namespace zr_posix {
inline std::string& lastError() {
  static thread_local std::string e;
  return e;
}
inline void* failed(const char* what, const char* name) {
  lastError() = std::string(what) + " " + (name ? name : "") + ": error " + std::to_string(GetLastError());
  return nullptr;
}
}  // namespace zr_posix

// RTLD_NOLOAD: only a module already loaded, with one more reference, so that
// dlclose balances it as on POSIX.
inline void* dlopen(const char* file, int mode) {
  if (!file) return GetModuleHandleA(nullptr);
  if (mode & RTLD_NOLOAD) {
    HMODULE h = nullptr;
    if (!GetModuleHandleExA(0, file, &h)) return nullptr;
    return h;
  }
  HMODULE h = LoadLibraryA(file);
  return h ? h : zr_posix::failed("cannot load", file);
}

inline int dlclose(void* module) { return FreeLibrary(static_cast<HMODULE>(module)) ? 0 : -1; }

inline void* dlsym(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

inline char* dlerror() {
  static thread_local std::string e;
  e.swap(zr_posix::lastError());
  zr_posix::lastError().clear();
  return e.empty() ? nullptr : &e[0];
}

// A new folder from a template ending in XXXXXX, made in place of the X's.
inline char* mkdtemp(char* tmpl) {
  const size_t n = std::strlen(tmpl);
  if (n < 6 || std::strcmp(tmpl + n - 6, "XXXXXX") != 0) return nullptr;
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    unsigned long v = (GetTickCount() + GetCurrentProcessId() * 7919ul + attempt * 104729ul) % 1000000ul;
    std::snprintf(tmpl + n - 6, 7, "%06lu", v);
    if (CreateDirectoryA(tmpl, nullptr)) return tmpl;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  std::memcpy(tmpl + n - 6, "XXXXXX", 6);
  return nullptr;
}
