// Formulas of the simulated host: parsing a formula text into a tree.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace xlsim {

// A rectangular area of one sheet, 0-based, inclusive.
struct Area {
  int row1 = 0, col1 = 0, row2 = 0, col2 = 0;
  int rows() const { return row2 - row1 + 1; }
  int columns() const { return col2 - col1 + 1; }
  bool single() const { return row1 == row2 && col1 == col2; }
  bool operator==(const Area& o) const {
    return row1 == o.row1 && col1 == o.col1 && row2 == o.row2 && col2 == o.col2;
  }
};

// One node of a formula.
struct Expr {
  enum Kind {
    Number,     // number
    Text,       // text (quotes removed, "" turned into ")
    Boolean,    // boolean
    Error,      // error: an xlerr code (#NULL! 0, #DIV/0! 7, #VALUE! 15, #REF! 23, #NAME? 29, #NUM! 36, #N/A 42)
    Array,      // array constant: rows x columns constants in row-major order
    Reference,  // area (A1, $A$1, A1:B3, $A$1:$B$3)
    Call,       // name(args...)
    Missing,    // an omitted argument: f(1,,2) or f(1,)
  };
  Kind kind = Missing;
  double number = 0;
  std::string text;
  bool boolean = false;
  int error = 0;
  int rows = 0, columns = 0;
  std::vector<Expr> elements;  // Array
  Area area;                   // Reference
  std::string name;            // Call: the function name as written
  std::vector<Expr> args;      // Call
};

struct FormulaError : std::runtime_error {
  FormulaError(const std::string& what, size_t position)
      : std::runtime_error(what), position(position) {}
  size_t position;  // 0-based offset into the text
};

// Parses a formula ("=f(A1, 2)" or, without '=', a constant or a call).
// Throws FormulaError: "position N: reason", N counting the first character
// as 1.
Expr parseFormula(const std::string& text);

// The constant a sheet line holds when it does not start with '=': a number,
// TRUE/FALSE (any case), an error literal, else the text as it stands.
Expr parseConstant(const std::string& text);

}  // namespace xlsim
