// Stored matrices behind handle texts: typed lookups and storing a result.
#pragma once

#include <string>
#include <utility>

#include "matrix/matrix.h"
#include "pool/handle_factory.h"
#include "xll/excel.h"

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
// The pool stores a copy of the holder it is given, so it is given an empty
// one, into which the holder of the value then moves: the value's storage is
// never copied.
template <class T>
OPER store(T&& value) {
  boost::any holder(std::forward<T>(value));
  handleFactory& pool = handleFactory::instance();
  OPER handle = pool.insert(boost::any());
  pool.get(xll::narrow(handle)) = std::move(holder);
  return handle;
}

}  // namespace ZR
