#include "xll/ensure.h"

namespace xll {

std::string ensureText(const char* file, int line, const std::string& function,
                       const char* condition) {
  return std::string("file: ") + file + "\nline: " + std::to_string(line) +
         "\nfunction: " + function + "\nensure: \"" + condition + "\" failed";
}

void ensureFailed(const char* file, int line, const std::string& function, const char* condition) {
  throw std::runtime_error(ensureText(file, line, function, condition));
}

}  // namespace xll
