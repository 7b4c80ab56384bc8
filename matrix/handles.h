// Stored matrices behind handle texts: typed lookups and storing a result.
#pragma once

#include <string>
#include <utility>

#include "matrix/matrix.h"
#include "pool/handle_factory.h"

namespace ZR {

// The stored matrix under a handle; anything else fails with boost::bad_any_cast.
inline const Matrix& matrixFromHandle(const std::string& handle) {
  return objectFromHandle<Matrix>(handle);
}

// A copy of the stored matrix, made under the size guard.
inline Matrix matrixCopyFromHandle(const std::string& handle) {
  const Matrix& m = matrixFromHandle(handle);
  checkSize(m.rows(), m.cols());
  return m;
}

inline const FullPivLU& fullPivLUFromHandle(const std::string& handle) {
  return objectFromHandle<FullPivLU>(handle);
}

// Stores a matrix (or full-pivot LU) for the calling cell; its handle text.
// A value passed as an rvalue moves into the pool without a copy.
template <class T>
OPER store(T&& value) {
  return handleFactory::instance().insert(boost::any(std::forward<T>(value)));
}

}  // namespace ZR
