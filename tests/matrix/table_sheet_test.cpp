// The category "ZR_BLAS" as the host registers it: load order and texts.
#include <string>
#include <vector>

#include "tests/support/addin_test.h"

namespace {

// The 75 functions in load order, built group by group from where each
// group is placed: creation first, then algebra with the inverse and the
// determinant among it, the decompositions, the reductions with the sized
// constructors inside, the coefficient-wise functions, the element edits with
// rank, kernel and image inside, and the shape tests last.
std::vector<std::string> expectedOrder() {
  std::vector<std::string> order{"mtrx_create"};
  for (const char* f : {"asDiagonal", "rows", "cols", "display", "add", "minus", "multiply",
                        "multiplyConst", "adjoint", "invert", "isInvertible", "transpose", "det",
                        "triangularView", "partialPivLU", "fullPivLU", "fullPivLUExtract",
                        "houseHolderQr", "colPivHouseholderQr", "fullPivHouseholderQr", "cholesky",
                        "ldlt", "isPosSemiDef", "isNegSemiDef", "eigenValues", "eigenVectors",
                        "isEqual", "coeffSum", "coeffProd", "coeffMean", "coeffMin", "coeffMax",
                        "coeffTrace", "random", "identity", "zero", "constant", "isIdentity", "isZero",
                        "isConstant", "cwiseMin", "cwiseMax", "cwiseProd", "cwiseQuot", "cwiseSqrt",
                        "cwiseInverse", "abs", "coeffCapFloor", "coeffCap", "coeffFloor", "isApprox",
                        "isMuchSmallerThan", "dotProd", "row", "column", "diagnol", "rank", "kernel",
                        "image", "squaredNorm", "norm", "block", "replaceblock", "append",
                        "setDiagonal", "setRow", "setColumn", "setElement", "isDiagonal", "isSquare",
                        "isRow", "isColumn", "cwisePow", "repeat"})
    order.push_back(std::string("mtrx_") + f);
  return order;
}

class MatrixTable : public zrtest::AddinTest {};

TEST_F(MatrixTable, FunctionsInLoadOrder) {
  std::vector<std::string> names;
  for (const auto& r : host.registrations()) {
    if (r.category != "ZR_BLAS") continue;
    names.push_back(r.functionText);
    EXPECT_EQ(r.procedure, "?" + r.functionText);
    EXPECT_TRUE(r.active()) << r.functionText;
  }
  // Functions not linked yet are left out; the others keep their places.
  const std::vector<std::string> all = expectedOrder();
  ASSERT_EQ(all.size(), 75u);
  std::vector<std::string> linked;
  for (const std::string& f : all)
    if (host.function(f)) linked.push_back(f);
  EXPECT_EQ(names, linked);
  EXPECT_GE(names.size(), 26u);
}

TEST_F(MatrixTable, TextsOfTheCreationAlgebraAndReductionRows) {
  const std::string mtrx = "is the input matrix.", trig = "is an optional argument for static dependencies.";
  const std::string first = "is the first matrix.", second = "is the second matrix.";
  const std::string rows = "is the number of rows.", cols = "is the number of columns.";
  const std::string prec = "is the precision.";
  struct Row {
    const char* name;
    const char* type;
    const char* args;
    const char* help;
    std::vector<std::string> argHelp;
  };
  const Row table[] = {
      {"mtrx_create", "R#K#P", "mtrx, trigger", "Creates the matrix object.", {"is the input data array.", trig}},
      {"mtrx_random", "R#J#J#P#", "Rows, Columns, trigger", "creates a random matrix of the given dimension.",
       {rows, cols, trig}},
      {"mtrx_identity", "R#J#J#P#", "Rows, Columns, trigger", "creates the identity matrix of the given dimension.",
       {rows, cols, trig}},
      {"mtrx_zero", "R#J#J#P#", "Rows, Columns, trigger", "creates the zero matrix of the given dimension.",
       {rows, cols, trig}},
      {"mtrx_constant", "R#J#J#B#P#", "Rows, Columns, Value, trigger",
       "creates the constant matrix of the given dimension.", {rows, cols, "is the value.", trig}},
      {"mtrx_asDiagonal", "R#F#P#", "mtrx, trigger", "creates a diagonal matrix from a column matrix.", {mtrx, trig}},
      {"mtrx_rows", "RF#P#", "mtrx, trigger", "gives the rows count of matrix.", {mtrx, trig}},
      {"mtrx_cols", "RF#P#", "mtrx, trigger", "gives the columns count of matrix.", {mtrx, trig}},
      {"mtrx_display", "RF#P#", "mtrx, trigger", "displays the matrix as an array.", {mtrx, trig}},
      {"mtrx_add", "RF#F#P#", "firstmtrx, secondmtrx, trigger", "adds two matrices.", {first, second, trig}},
      {"mtrx_minus", "RF#F#P#", "firstmtrx, secondmtrx, trigger", "calculates firstmatrix - secondmatrix.",
       {first, second, trig}},
      {"mtrx_multiply", "R#F#F#P#", "firstmtrx, secondmtrx, trigger", "calculates first matrix times other.",
       {first, second, trig}},
      {"mtrx_multiplyConst", "R#F#B#P#", "firstmtrx, constant, trigger",
       "calculates first matrix times the constant.", {first, "is the constant to be multiplied.", trig}},
      {"mtrx_adjoint", "R#F#P#", "mtrx, trigger", "calculates matrix adjoint.", {mtrx, trig}},
      {"mtrx_transpose", "R#F#P#", "mtrx, trigger", "gets the matrix transpose.", {mtrx, trig}},
      {"mtrx_triangularView", "R#F#F#P#", "mtrx, mode, trigger",
       "extracts the triangular matrix. Useful for various matrix decompositions.",
       {mtrx, "is the mode. 'u','l','uu','ul','su' or 'sl'.", trig}},
      {"mtrx_isEqual", "R#F#F#P#", "mtrx1, mtrx2, trigger", "checks whether two matrices are equal.",
       {"is the first input matrix.", "is the second input matrix.", trig}},
      {"mtrx_coeffSum", "R#F#P#", "mtrx, trigger", "returns the sum of all the elements of the matrix.", {mtrx, trig}},
      {"mtrx_coeffProd", "R#F#P#", "mtrx, trigger", "returns the product of all the elements of the matrix.",
       {mtrx, trig}},
      {"mtrx_coeffMean", "R#F#P#", "mtrx, trigger", "returns the mean of all the elements of the matrix.",
       {mtrx, trig}},
      {"mtrx_coeffMin", "R#F#P#", "mtrx, trigger", "returns the min of all the elements of the matrix.", {mtrx, trig}},
      {"mtrx_coeffMax", "R#F#P#", "mtrx, trigger", "returns the max of all the elements of the matrix.", {mtrx, trig}},
      {"mtrx_coeffTrace", "R#F#P#", "mtrx, trigger", "returns the trace of the matrix.", {mtrx, trig}},
      {"mtrx_isIdentity", "R#F#B#P#", "mtrx, Precision, trigger", "checks if the input matrix is identity.",
       {mtrx, prec, trig}},
      {"mtrx_isZero", "R#F#B#P#", "mtrx, Precision, trigger", "checks if the input matrix is zero.",
       {mtrx, prec, trig}},
      {"mtrx_isConstant", "R#F#B#B#P#", "mtrx, Const, Precision, trigger",
       "checks if the input matrix is aproximately equal to a constant.",
       {mtrx, "is the constant to be compared against.", prec, trig}},
  };
  for (const Row& row : table) {
    const xlsim::Registration* r = host.function(row.name);
    ASSERT_NE(r, nullptr) << row.name;
    EXPECT_TRUE(r->active()) << row.name;
    EXPECT_NE(r->address, nullptr) << row.name;
    EXPECT_EQ(r->typeText, row.type) << row.name;
    EXPECT_EQ(r->argumentText, row.args) << row.name;
    EXPECT_EQ(r->category, "ZR_BLAS") << row.name;
    EXPECT_EQ(r->functionHelp, row.help) << row.name;
    EXPECT_EQ(r->argumentHelp, row.argHelp) << row.name;
  }
}

}  // namespace
