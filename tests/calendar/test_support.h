// Small helpers shared by the calendar tests.
#pragma once

#include <string>

#include "calendar/date.h"
#include "reference_data.h"

namespace calendar_test {

inline QA::Date ymd(int y, int m, int d) { return QA::Date(calendar_reference::serialOf(y, m, d)); }

// The plain text a call throws, or "no exception".
template <class F>
std::string thrownText(F f) {
  try {
    f();
  } catch (const char* text) {
    return text;
  }
  return "no exception";
}

}  // namespace calendar_test
