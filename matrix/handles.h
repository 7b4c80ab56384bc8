// Stored matrices behind handle texts: typed lookups and storing a result.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "matrix/matrix.h"
#include "pool/handle_factory.h"

namespace ZR {

// The stored matrix under a handle; anything else fails with boost::bad_any_cast.
inline const Matrix& matrixFromHandle(const std::string& handle) {
  return objectFromHandle<Matrix>(handle);
}

inline const FullPivLU& fullPivLUFromHandle(const std::string& handle) {
  return objectFromHandle<FullPivLU>(handle);
}

// The position of the first word that opt equals by the option-text rule,
// or -1; a text past 255 characters fails as a host text value does.
inline int optionChoice(const char* opt, std::initializer_list<const char*> words) {
  const OPER text(opt);
  int k = 0;
  for (const char* word : words) {
    if (text == word) return k;
    ++k;
  }
  return -1;
}

// Stores a matrix (or full-pivot LU) for the calling cell; its handle text.
// A value passed as an rvalue moves into the pool without a copy.
template <class T>
OPER store(T&& value) {
  return handleFactory::instance().insert(boost::any(std::forward<T>(value)));
}

}  // namespace ZR
