// Exporting procedures from the add-in under the names the host registers.
//
// A procedure is exported under its registered name as it stands ("?f_name"
// is the ELF symbol ?f_name), with one rule for what an ELF symbol cannot
// hold: the linker reads '@' as a symbol version, so every '@' of a procedure
// name is exported as '$' ("_xll_alert_filter@0" is the symbol
// _xll_alert_filter$0). GetProcAddress applies the same rule, in
// platform::exportSymbol, so the add-in looks its procedures up by their
// registered names.
#pragma once

#ifdef _WIN32
// On Windows a procedure is __stdcall under its C name and exported through
// the module-definition file that the build writes from these declarations
// and the registered type texts ("?f_name" = f_name@8): the @N makes the
// link prove that each procedure takes the argument bytes its type text implies.
#define XLL_VISIBLE
#define XLL_PROC(ret, cname, symbol, params) extern "C" ret __stdcall cname params
#define XLL_EXPORT extern "C" __stdcall
#else
#define XLL_VISIBLE __attribute__((visibility("default")))

// Declares and begins the definition of an exported procedure:
//   XLL_PROC(LPXLOPER, f_name, "?f_name", (char* text, LPXLOPER trigger)) { ... }
// The function keeps its C name inside the library (the compiler's own
// symbols, such as cold sections, derive from it); the export is an alias.
#define XLL_PROC(ret, cname, symbol, params)                                               \
  extern "C" ret cname params;                                                             \
  extern "C" XLL_VISIBLE ret cname##_export params __asm__("\"" symbol "\"")              \
      __attribute__((alias(#cname)));                                                      \
  extern "C" ret cname params

// Exported under its own C name (the lifecycle hooks, DllMain).
#define XLL_EXPORT extern "C" XLL_VISIBLE
#endif  // _WIN32
