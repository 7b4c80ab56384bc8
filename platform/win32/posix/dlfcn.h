// The few POSIX loader calls the simulated host makes, over LoadLibrary.
#pragma once

#include <windows.h>

#include <string>

#include "zr_posix.h"

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
