// Internal: entries of the sheet by row, each row's entries sorted by
// column, so that a lookup is a short search in one row and a walk over an
// area is row-major without a node per entry.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "host/formula.h"

namespace xlsim {

template <class T>
class Grid {
 public:
  T* find(int row, int col) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return nullptr;
    auto& r = rows_[static_cast<size_t>(row)];
    auto it = at(r, col);
    return it != r.end() && it->col == col ? &it->value : nullptr;
  }
  const T* find(int row, int col) const { return const_cast<Grid*>(this)->find(row, col); }

  // The entry, made (value-initialised) when missing. Entries of the same
  // row may move.
  T& put(int row, int col) {
    if (static_cast<size_t>(row) >= rows_.size()) rows_.resize(static_cast<size_t>(row) + 1);
    auto& r = rows_[static_cast<size_t>(row)];
    if (r.capacity() == 0) r.reserve(2);
    auto it = at(r, col);
    if (it != r.end() && it->col == col) return it->value;
    ++count_;
    return r.insert(it, Entry{col, T()})->value;
  }

  // Removes the entries of the area.
  void erase(const Area& a) {
    for (int row = std::max(a.row1, 0); row <= a.row2 && static_cast<size_t>(row) < rows_.size(); ++row) {
      auto& r = rows_[static_cast<size_t>(row)];
      auto from = at(r, a.col1), to = at(r, a.col2 + 1);
      count_ -= static_cast<size_t>(to - from);
      r.erase(from, to);
    }
  }

  void clear() {
    rows_.clear();
    count_ = 0;
  }
  bool empty() const { return count_ == 0; }

  // fn(row, col, entry) for each entry of the area, row-major.
  template <class Fn>
  void forEachIn(const Area& a, Fn fn) {
    for (int row = std::max(a.row1, 0); row <= a.row2 && static_cast<size_t>(row) < rows_.size(); ++row) {
      auto& r = rows_[static_cast<size_t>(row)];
      for (auto it = at(r, a.col1); it != r.end() && it->col <= a.col2; ++it) fn(row, it->col, it->value);
    }
  }

  // fn(row, col, entry) for every entry, row-major.
  template <class Fn>
  void forEach(Fn fn) const {
    for (size_t row = 0; row < rows_.size(); ++row)
      for (const auto& e : rows_[row]) fn(static_cast<int>(row), e.col, e.value);
  }

 private:
  struct Entry {
    int col;
    T value;
  };
  using Row = std::vector<Entry>;
  static typename Row::iterator at(Row& r, int col) {
    return std::lower_bound(r.begin(), r.end(), col, [](const Entry& e, int c) { return e.col < c; });
  }

  std::vector<Row> rows_;
  size_t count_ = 0;
};

}  // namespace xlsim
