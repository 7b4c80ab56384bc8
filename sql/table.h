// A table of cells as a worksheet range holds them: numbers, texts,
// Booleans, error values and empty cells, row by row.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ZR {

struct Cell {
  enum Kind : unsigned char { Nil, Missing, Number, Text, Boolean, Error };
  Kind kind = Nil;
  double number = 0;  // a number; 0 or 1 for a Boolean; the host's code of an error
  std::string text;

  static Cell of(double x) {
    Cell c;
    c.kind = Number;
    c.number = x;
    return c;
  }
  static Cell of(std::string s) {
    Cell c;
    c.kind = Text;
    c.text = std::move(s);
    return c;
  }
};

class Table {
 public:
  Table() = default;
  Table(std::size_t rows, std::size_t columns) : rows_(rows), columns_(columns), cells_(rows * columns) {}

  std::size_t rows() const { return rows_; }
  std::size_t columns() const { return columns_; }
  Cell& operator()(std::size_t i, std::size_t j) { return cells_[i * columns_ + j]; }
  const Cell& operator()(std::size_t i, std::size_t j) const { return cells_[i * columns_ + j]; }

  // Appends a row of empty cells and gives its first cell.
  Cell* addRow() {
    cells_.resize(cells_.size() + columns_);
    ++rows_;
    return &cells_[cells_.size() - columns_];
  }

 private:
  std::size_t rows_ = 0, columns_ = 0;
  std::vector<Cell> cells_;
};

}  // namespace ZR
