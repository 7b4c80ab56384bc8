// POSIX calls the host and the test programs make that the Windows run-time
// lacks: a new temporary folder and the environment setters.
#pragma once

#include <direct.h>
#include <errno.h>
#include <process.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

// A new folder from a template ending in XXXXXX, made in place of the X's.
inline char* mkdtemp(char* tmpl) {
  const size_t n = strlen(tmpl);
  if (n < 6 || strcmp(tmpl + n - 6, "XXXXXX") != 0) {
    errno = EINVAL;
    return nullptr;
  }
  static unsigned long counter = 0;
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    unsigned long v = (static_cast<unsigned long>(_getpid()) * 7919ul + static_cast<unsigned long>(clock()) +
                       ++counter * 104729ul) % 1000000ul;
    snprintf(tmpl + n - 6, 7, "%06lu", v);
    if (_mkdir(tmpl) == 0) return tmpl;
    if (errno != EEXIST) break;
  }
  memcpy(tmpl + n - 6, "XXXXXX", 6);
  return nullptr;
}

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }
