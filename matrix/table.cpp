// The registration table of the category "ZR_BLAS", in load order.
#include <vector>

#include "addin/categories.h"

using namespace xll;

const CategoryTable& ZR::MatrixCategory() {
  static const ArgRow mtrx{"F#", "mtrx", "is the input matrix."};
  static const ArgRow mtrx1{"F#", "mtrx1", "is the first input matrix."};
  static const ArgRow mtrx2{"F#", "mtrx2", "is the second input matrix."};
  static const ArgRow firstmtrx{"F#", "firstmtrx", "is the first matrix."};
  static const ArgRow secondmtrx{"F#", "secondmtrx", "is the second matrix."};
  static const ArgRow rows{"J#", "Rows", "is the number of rows."};
  static const ArgRow columns{"J#", "Columns", "is the number of columns."};
  static const ArgRow precision{"B#", "Precision", "is the precision."};
  static const ArgRow cwisePrecision{"B#", "precision", "is the precision required."};
  static const ArgRow trigger{"P#", "trigger", triggerHelp};
  static const std::vector<ArgRow> one{mtrx, trigger};
  static const std::vector<ArgRow> two{mtrx1, mtrx2, trigger};
  static const std::vector<ArgRow> twoFirst{firstmtrx, secondmtrx, trigger};
  static const std::vector<ArgRow> sized{rows, columns, trigger};
  static const ArgRow luOpt{"F#", "opt", "can be 'l','u' or 'lu' to return matrix 'L', 'U' or 'LU' matrix."};
  static const ArgRow fullLuOpt{
      "F#", "opt",
      "can be 'l','u','lu', 'p' or 'q' to return matrix 'L', 'U','LU', Permutation 'P' and 'Q'."};
  static const ArgRow qrOpt{
      "F#", "opt",
      "can be 'r' or 'qr'.\nIt will not return the q matrix - use fullHouseHolderQr if you want q matrix "
      "also."};
  static const ArgRow colPivQrOpt{
      "F#", "opt",
      "can be 'r' or 'qr'.\ncan be 'r' or 'qr'. Will not return the q matrix - use fullHouseHolderQr if "
      "you want q matrix also."};
  static const ArgRow blockI{"J#", "i", "is i."};
  static const ArgRow blockJ{"J#", "j", "is j."};

  static const CategoryTable table{
      "ZR_BLAS",
      "The BLAS library provides useful matrix algebra functions.",
      "The library uses Eigen on the back end which is already well established.To begin use "
      "the function mtrx_create to initialise a matrix object.",
      CategoryTable::DocumentationLast,
      {
          {"mtrx_create", "R#",
           {{"K#", "mtrx", "is the input data array."}, {"P", "trigger", triggerHelp}},
           "Creates the matrix object."},
          {"mtrx_asDiagonal", "R#", one, "creates a diagonal matrix from a column matrix."},
          {"mtrx_rows", "R", one, "gives the rows count of matrix."},
          {"mtrx_cols", "R", one, "gives the columns count of matrix."},
          {"mtrx_display", "R", one, "displays the matrix as an array."},
          {"mtrx_add", "R", twoFirst, "adds two matrices."},
          {"mtrx_minus", "R", twoFirst, "calculates firstmatrix - secondmatrix."},
          {"mtrx_multiply", "R#", twoFirst, "calculates first matrix times other."},
          {"mtrx_multiplyConst", "R#",
           {firstmtrx, {"B#", "constant", "is the constant to be multiplied."}, trigger},
           "calculates first matrix times the constant."},
          {"mtrx_adjoint", "R#", one, "calculates matrix adjoint."},
          {"mtrx_invert", "R#", one, "calculates the matrix inverse."},
          {"mtrx_isInvertible", "R#", one, "checks if the matrix is invertible."},
          {"mtrx_transpose", "R#", one, "gets the matrix transpose."},
          {"mtrx_det", "R#", one, "returns the matrix determinant."},
          {"mtrx_triangularView", "R#",
           {mtrx, {"F#", "mode", "is the mode. 'u','l','uu','ul','su' or 'sl'."}, trigger},
           "extracts the triangular matrix. Useful for various matrix decompositions."},
          {"mtrx_partialPivLU", "R#", {mtrx, luOpt, trigger},
           "performs partial pivot LU decomposition on the input matrix.\n Returns L,U or LU matrix "
           "depending on the value of opt."},
          {"mtrx_fullPivLU", "R#", one,
           "performs full pivot LU decomposition. Returns a proxy object which can be queried for the "
           "decomposed."},
          {"mtrx_fullPivLUExtract", "R#", {mtrx, fullLuOpt, trigger},
           "returns one factor of a stored full pivot LU decomposition, chosen by opt."},
          {"mtrx_houseHolderQr", "R#", {mtrx, qrOpt, trigger},
           "performs QR decomposition through house Holder QR."},
          {"mtrx_colPivHouseholderQr", "R#", {mtrx, colPivQrOpt, trigger},
           "performs QR decomposition through column pivot HouseHolder QR."},
          {"mtrx_fullPivHouseholderQr", "R#", {mtrx, {"F#", "opt", "can be 'q', 'r' or 'qr'."}, trigger},
           "performs QR decomposition through Full HouseHolder QR."},
          {"mtrx_cholesky", "R#", {mtrx, {"F#", "opt", "can be 'l' or 'u'."}, trigger},
           "performs cholesky decomposition. See also mtrx_ldlt."},
          {"mtrx_ldlt", "R#", {mtrx, {"F#", "opt", "can be 'l' or 'u' or 'd'"}, trigger},
           "performs cholesky decomposition. Method ldlt() from Eigen."},
          {"mtrx_isPosSemiDef", "R#", one, "checks if the input matrix is positive semi definitive."},
          {"mtrx_isNegSemiDef", "R#", one, "checks if the input matrix is negative semi definitive."},
          {"mtrx_eigenValues", "R#", one, "gets the eigen values of the input matrix."},
          {"mtrx_eigenVectors", "R#", one, "gets the eigen vectors of the input matrix."},
          {"mtrx_isEqual", "R#", two, "checks whether two matrices are equal."},
          {"mtrx_coeffSum", "R#", one, "returns the sum of all the elements of the matrix."},
          {"mtrx_coeffProd", "R#", one, "returns the product of all the elements of the matrix."},
          {"mtrx_coeffMean", "R#", one, "returns the mean of all the elements of the matrix."},
          {"mtrx_coeffMin", "R#", one, "returns the min of all the elements of the matrix."},
          {"mtrx_coeffMax", "R#", one, "returns the max of all the elements of the matrix."},
          {"mtrx_coeffTrace", "R#", one, "returns the trace of the matrix."},
          {"mtrx_random", "R#", sized, "creates a random matrix of the given dimension."},
          {"mtrx_identity", "R#", sized, "creates the identity matrix of the given dimension."},
          {"mtrx_zero", "R#", sized, "creates the zero matrix of the given dimension."},
          {"mtrx_constant", "R#", {rows, columns, {"B#", "Value", "is the value."}, trigger},
           "creates the constant matrix of the given dimension."},
          {"mtrx_isIdentity", "R#", {mtrx, precision, trigger}, "checks if the input matrix is identity."},
          {"mtrx_isZero", "R#", {mtrx, precision, trigger}, "checks if the input matrix is zero."},
          {"mtrx_isConstant", "R#",
           {mtrx, {"B#", "Const", "is the constant to be compared against."}, precision, trigger},
           "checks if the input matrix is aproximately equal to a constant."},
          {"mtrx_cwiseMin", "R#", two, "performs col wise Min between two matrices."},
          {"mtrx_cwiseMax", "R#", two, "performs col wise Max between two matrices."},
          {"mtrx_cwiseProd", "R#", two, "performs col wise product between two matrices."},
          {"mtrx_cwiseQuot", "R#", two, "performs col wise Quot between two matrices."},
          {"mtrx_cwiseSqrt", "R#", one, "performs col wise square root."},
          {"mtrx_cwiseInverse", "R#", one, "performs col wise Inverse."},
          {"mtrx_abs", "R#", one, "returns the matrix comprising of absolute coeffecients."},
          {"mtrx_coeffCapFloor", "R#",
           {mtrx, {"B#", "cap", "is the cap."}, {"B#", "floor", "is the floor."}, trigger},
           "returns the matrix after applying given caps and floors to the coeffecients."},
          {"mtrx_coeffCap", "R#", {mtrx, {"B#", "cap", "is the cap."}, trigger},
           "returns the matrix after applying given caps to the coeffecients."},
          {"mtrx_coeffFloor", "R#", {mtrx, {"B#", "floor", "is the floor."}, trigger},
           "returns the matrix after applying given floors to the coeffecients."},
          {"mtrx_isApprox", "R#", {mtrx1, mtrx2, cwisePrecision, trigger},
           "compares whether two matrices are approx. Multiplicative check and hence will not work for "
           "zeros."},
          {"mtrx_isMuchSmallerThan", "R#", {mtrx1, mtrx2, cwisePrecision, trigger},
           "compares whether mtrx1 is much smaller than mtrx2."},
          {"mtrx_dotProd", "R#", two, "performs the dot product."},
          {"mtrx_row", "R#", {mtrx, {"J#", "i", "is the row number."}, trigger},
           "returns the ith row of the input matrix."},
          {"mtrx_column", "R#", {mtrx, {"J#", "i", "is the column number."}, trigger},
           "returns the ith column of the input matrix."},
          {"mtrx_diagnol", "R#",
           {mtrx,
            {"J#", "i",
             "is the diagnol number. \nPositives indicate super diagnol while the negatives indicate sub "
             "diagnol."},
            trigger},
           "returns the ith diagnol of the input matrix."},
          {"mtrx_rank", "R#", one, "calculates the rank of the matrix."},
          {"mtrx_kernel", "R#", one, "calculates the kernel of the matrix (null space)."},
          {"mtrx_image", "R#", one, "calculates the image of the matrix (column space)."},
          {"mtrx_squaredNorm", "R#", one, "returns squared norm of a matrix."},
          {"mtrx_norm", "R#", one, "returns the norm of a matrix."},
          {"mtrx_block", "R#", {mtrx, blockI, blockJ, {"J#", "p", "is p."}, {"J#", "q", "is q."}, trigger},
           "returns a block of dim pxq from the input matrix at the position i,j."},
          {"mtrx_replaceblock", "R#",
           {mtrx,
            {"F#", "mtrxBlock", "is the new block that needs to be overwritten in the original matrix."},
            blockI, blockJ, trigger},
           "replaces a block in a matrix at i,j position with another matrix (block matrix)."},
          {"mtrx_append", "R#",
           {{"F#", "mtrx1", "is the first matrix."},
            {"F#", "mtrx2", "is the second matrix."},
            {"A#", "vertical ", "whether vertical or horizontal."},
            trigger},
           "appends two matrices either vertically or horizontally."},
          {"mtrx_setDiagonal", "R#",
           {mtrx,
            {"F#", "diagonalMatrix", "is the diagnonal matrix."},
            {"J#", "diagIndex  ", "diagonal index."},
            trigger},
           "aoverride the diagonal of the input matrix."},
          {"mtrx_setRow", "R#",
           {mtrx, {"F#", "rowMtrx", "is the row matrix."}, {"J#", "rowIndex  ", "row index."}, trigger},
           "override a row of the input matrix."},
          {"mtrx_setColumn", "R#",
           {mtrx, {"F#", "colMtrx", "is the col matrix."}, {"J#", "colIndex  ", "column index."}, trigger},
           "override a column of the input matrix."},
          {"mtrx_setElement", "R#",
           {mtrx,
            {"B#", "val", "the value to be overwritten."},
            {"J#", "rowIndex", "row Index."},
            {"J#", "colIndex", "column Index."},
            trigger},
           "override the element at the given location."},
          {"mtrx_isDiagonal", "R#", one, "checks whether the input is a diagonal matrix."},
          {"mtrx_isSquare", "R#", one, "checks whether the input is a square matrix."},
          {"mtrx_isRow", "R#", one, "checks whether the input is a row matrix."},
          {"mtrx_isColumn", "R#", one, "checks whether the input is a column matrix."},
          {"mtrx_cwisePow", "R#", {mtrx, {"B#", "n", "is n."}, trigger}, "performs coefficient wise power."},
          {"mtrx_repeat", "R#",
           {mtrx,
            {"J#", "n", "is the number of times the matrix be repeated."},
            {"A#", "vertical", "True for vertical repetition and False for horizontal."},
            trigger},
           "repeats the input matrix n times vertically or horizontally."},
      },
      {},
  };
  return table;
}
