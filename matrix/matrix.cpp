#include "matrix/matrix.h"

#include <cstring>
#include <limits>
#include <new>

namespace ZR {

void checkSize(std::int64_t rows, std::int64_t cols) {
  if (rows < 0 || cols < 0) throw std::bad_alloc();
  if (rows != 0 && cols != 0 && rows > std::numeric_limits<std::int32_t>::max() / cols)
    throw std::bad_alloc();
  if (rows * cols >= 0x20000000) throw std::bad_alloc();
}

Matrix newMatrix(std::int64_t rows, std::int64_t cols) {
  checkSize(rows, cols);
  return Matrix(static_cast<Eigen::Index>(rows), static_cast<Eigen::Index>(cols));
}

void requireFinite(const Matrix& a, const char* function) {
  if (!a.allFinite()) throw std::string("ZR::uBlasMatrix::") + function + " - Input matrix holds NaN or infinity";
}

bool optionIs(const std::string& option, const char* word) {
  const std::size_t n = std::strlen(word);
  if (option.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char a = option[i], b = word[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace ZR
