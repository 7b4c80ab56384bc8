// The category "ZR_BLAS" as the host registers it: load order and texts.
#include <map>
#include <sstream>
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

TEST_F(MatrixTable, SeventyFiveFunctionsInLoadOrder) {
  std::vector<std::string> names;
  for (const auto& r : host.registrations()) {
    if (r.category != "ZR_BLAS") continue;
    names.push_back(r.functionText);
    EXPECT_EQ(r.procedure, "?" + r.functionText);
    EXPECT_TRUE(r.active()) << r.functionText;
  }
  EXPECT_EQ(names, expectedOrder());
}

TEST_F(MatrixTable, TextsOfTheCreationAlgebraAndReductionRows) {
  // Each argument's type and help by name (mtrx_create's differ).
  const std::map<std::string, std::pair<std::string, std::string>> arg{
      {"mtrx", {"F#", "is the input matrix."}}, {"trigger", {"P#", "is an optional argument for static dependencies."}},
      {"firstmtrx", {"F#", "is the first matrix."}}, {"secondmtrx", {"F#", "is the second matrix."}},
      {"mtrx1", {"F#", "is the first input matrix."}}, {"mtrx2", {"F#", "is the second input matrix."}},
      {"Rows", {"J#", "is the number of rows."}}, {"Columns", {"J#", "is the number of columns."}},
      {"Value", {"B#", "is the value."}}, {"constant", {"B#", "is the constant to be multiplied."}},
      {"Precision", {"B#", "is the precision."}}, {"Const", {"B#", "is the constant to be compared against."}},
      {"mode", {"F#", "is the mode. 'u','l','uu','ul','su' or 'sl'."}}};
  const std::string one = "mtrx, trigger", two = "firstmtrx, secondmtrx, trigger", sized = "Rows, Columns, trigger";
  const std::vector<std::vector<std::string>> rows{  // function, result type, arguments, help
      {"mtrx_random", "R#", sized, "creates a random matrix of the given dimension."},
      {"mtrx_identity", "R#", sized, "creates the identity matrix of the given dimension."},
      {"mtrx_zero", "R#", sized, "creates the zero matrix of the given dimension."},
      {"mtrx_constant", "R#", "Rows, Columns, Value, trigger", "creates the constant matrix of the given dimension."},
      {"mtrx_asDiagonal", "R#", one, "creates a diagonal matrix from a column matrix."},
      {"mtrx_rows", "R", one, "gives the rows count of matrix."},
      {"mtrx_cols", "R", one, "gives the columns count of matrix."},
      {"mtrx_display", "R", one, "displays the matrix as an array."},
      {"mtrx_add", "R", two, "adds two matrices."},
      {"mtrx_minus", "R", two, "calculates firstmatrix - secondmatrix."},
      {"mtrx_multiply", "R#", two, "calculates first matrix times other."},
      {"mtrx_multiplyConst", "R#", "firstmtrx, constant, trigger", "calculates first matrix times the constant."},
      {"mtrx_adjoint", "R#", one, "calculates matrix adjoint."},
      {"mtrx_transpose", "R#", one, "gets the matrix transpose."},
      {"mtrx_triangularView", "R#", "mtrx, mode, trigger",
       "extracts the triangular matrix. Useful for various matrix decompositions."},
      {"mtrx_isEqual", "R#", "mtrx1, mtrx2, trigger", "checks whether two matrices are equal."},
      {"mtrx_coeffSum", "R#", one, "returns the sum of all the elements of the matrix."},
      {"mtrx_coeffProd", "R#", one, "returns the product of all the elements of the matrix."},
      {"mtrx_coeffMean", "R#", one, "returns the mean of all the elements of the matrix."},
      {"mtrx_coeffMin", "R#", one, "returns the min of all the elements of the matrix."},
      {"mtrx_coeffMax", "R#", one, "returns the max of all the elements of the matrix."},
      {"mtrx_coeffTrace", "R#", one, "returns the trace of the matrix."},
      {"mtrx_isIdentity", "R#", "mtrx, Precision, trigger", "checks if the input matrix is identity."},
      {"mtrx_isZero", "R#", "mtrx, Precision, trigger", "checks if the input matrix is zero."},
      {"mtrx_isConstant", "R#", "mtrx, Const, Precision, trigger",
       "checks if the input matrix is aproximately equal to a constant."}};
  for (const auto& row : rows) {
    const xlsim::Registration* r = host.function(row[0]);
    ASSERT_TRUE(r && r->active() && r->address) << row[0];
    std::string type = row[1];
    std::vector<std::string> help;
    std::stringstream names(row[2]);
    for (std::string name; std::getline(names >> std::ws, name, ',');) {
      type += arg.at(name).first;
      help.push_back(arg.at(name).second);
    }
    EXPECT_EQ(r->typeText, type) << row[0];
    EXPECT_EQ(r->argumentText, row[2]) << row[0];
    EXPECT_EQ(r->functionHelp, row[3]) << row[0];
    EXPECT_EQ(r->argumentHelp, help) << row[0];
  }
  const xlsim::Registration& create = *host.function("mtrx_create");
  EXPECT_EQ(create.typeText, "R#K#P");
  EXPECT_EQ(create.argumentText, "mtrx, trigger");
  EXPECT_EQ(create.functionHelp, "Creates the matrix object.");
  EXPECT_EQ(create.argumentHelp, (std::vector<std::string>{"is the input data array.", arg.at("trigger").second}));
}

}  // namespace
