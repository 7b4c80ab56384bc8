// The framework's check: a failed condition raises a std::runtime_error whose
// text names the file, the line, the checking function and the condition.
#pragma once

#include <stdexcept>
#include <string>

namespace xll {

// "file: F\nline: L\nfunction: FN\nensure: \"COND\" failed"
std::string ensureText(const char* file, int line, const std::string& function,
                       const char* condition);

[[noreturn]] void ensureFailed(const char* file, int line, const std::string& function,
                               const char* condition);

}  // namespace xll

// fn names the checking function as users see it ("xll::index").
#define XLL_ENSURE(fn, cond) XLL_ENSURE_TEXT(fn, cond, #cond)
// The same with the condition text given where the code reads otherwise.
#define XLL_ENSURE_TEXT(fn, cond, text) \
  ((cond) ? static_cast<void>(0) : ::xll::ensureFailed(__FILE__, __LINE__, fn, text))
