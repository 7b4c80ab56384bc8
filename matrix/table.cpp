// The registration table of the category "ZR_BLAS", in load order.
#include <cstring>
#include <utility>
#include <vector>

#include "xll/categories.h"

using namespace xll;

// While the family is still being built, a row is registered only when its
// procedure is linked into the module: the host refuses a procedure it cannot
// find, and a refusal stops every later registration. Weak references to the
// exported names, null when absent.
#define LINKED(name) extern "C" __attribute__((weak)) void name##_linked() __asm__("\"?" #name "\"");
LINKED(mtrx_create)
LINKED(mtrx_asDiagonal)
LINKED(mtrx_rows)
LINKED(mtrx_cols)
LINKED(mtrx_display)
LINKED(mtrx_add)
LINKED(mtrx_minus)
LINKED(mtrx_multiply)
LINKED(mtrx_multiplyConst)
LINKED(mtrx_adjoint)
LINKED(mtrx_invert)
LINKED(mtrx_isInvertible)
LINKED(mtrx_transpose)
LINKED(mtrx_det)
LINKED(mtrx_triangularView)
LINKED(mtrx_partialPivLU)
LINKED(mtrx_fullPivLU)
LINKED(mtrx_fullPivLUExtract)
LINKED(mtrx_houseHolderQr)
LINKED(mtrx_colPivHouseholderQr)
LINKED(mtrx_fullPivHouseholderQr)
LINKED(mtrx_cholesky)
LINKED(mtrx_ldlt)
LINKED(mtrx_isPosSemiDef)
LINKED(mtrx_isNegSemiDef)
LINKED(mtrx_eigenValues)
LINKED(mtrx_eigenVectors)
LINKED(mtrx_isEqual)
LINKED(mtrx_coeffSum)
LINKED(mtrx_coeffProd)
LINKED(mtrx_coeffMean)
LINKED(mtrx_coeffMin)
LINKED(mtrx_coeffMax)
LINKED(mtrx_coeffTrace)
LINKED(mtrx_random)
LINKED(mtrx_identity)
LINKED(mtrx_zero)
LINKED(mtrx_constant)
LINKED(mtrx_isIdentity)
LINKED(mtrx_isZero)
LINKED(mtrx_isConstant)
LINKED(mtrx_cwiseMin)
LINKED(mtrx_cwiseMax)
LINKED(mtrx_cwiseProd)
LINKED(mtrx_cwiseQuot)
LINKED(mtrx_cwiseSqrt)
LINKED(mtrx_cwiseInverse)
LINKED(mtrx_abs)
LINKED(mtrx_coeffCapFloor)
LINKED(mtrx_coeffCap)
LINKED(mtrx_coeffFloor)
LINKED(mtrx_isApprox)
LINKED(mtrx_isMuchSmallerThan)
LINKED(mtrx_dotProd)
LINKED(mtrx_row)
LINKED(mtrx_column)
LINKED(mtrx_diagnol)
LINKED(mtrx_rank)
LINKED(mtrx_kernel)
LINKED(mtrx_image)
LINKED(mtrx_squaredNorm)
LINKED(mtrx_norm)
LINKED(mtrx_block)
LINKED(mtrx_replaceblock)
LINKED(mtrx_append)
LINKED(mtrx_setDiagonal)
LINKED(mtrx_setRow)
LINKED(mtrx_setColumn)
LINKED(mtrx_setElement)
LINKED(mtrx_isDiagonal)
LINKED(mtrx_isSquare)
LINKED(mtrx_isRow)
LINKED(mtrx_isColumn)
LINKED(mtrx_cwisePow)
LINKED(mtrx_repeat)
#undef LINKED

namespace {

// The linked procedures, one per row of the table and in its order.
const struct {
  const char* text;
  void* address;
} procedures[] = {
    {"mtrx_create", reinterpret_cast<void*>(&mtrx_create_linked)},
    {"mtrx_asDiagonal", reinterpret_cast<void*>(&mtrx_asDiagonal_linked)},
    {"mtrx_rows", reinterpret_cast<void*>(&mtrx_rows_linked)},
    {"mtrx_cols", reinterpret_cast<void*>(&mtrx_cols_linked)},
    {"mtrx_display", reinterpret_cast<void*>(&mtrx_display_linked)},
    {"mtrx_add", reinterpret_cast<void*>(&mtrx_add_linked)},
    {"mtrx_minus", reinterpret_cast<void*>(&mtrx_minus_linked)},
    {"mtrx_multiply", reinterpret_cast<void*>(&mtrx_multiply_linked)},
    {"mtrx_multiplyConst", reinterpret_cast<void*>(&mtrx_multiplyConst_linked)},
    {"mtrx_adjoint", reinterpret_cast<void*>(&mtrx_adjoint_linked)},
    {"mtrx_invert", reinterpret_cast<void*>(&mtrx_invert_linked)},
    {"mtrx_isInvertible", reinterpret_cast<void*>(&mtrx_isInvertible_linked)},
    {"mtrx_transpose", reinterpret_cast<void*>(&mtrx_transpose_linked)},
    {"mtrx_det", reinterpret_cast<void*>(&mtrx_det_linked)},
    {"mtrx_triangularView", reinterpret_cast<void*>(&mtrx_triangularView_linked)},
    {"mtrx_partialPivLU", reinterpret_cast<void*>(&mtrx_partialPivLU_linked)},
    {"mtrx_fullPivLU", reinterpret_cast<void*>(&mtrx_fullPivLU_linked)},
    {"mtrx_fullPivLUExtract", reinterpret_cast<void*>(&mtrx_fullPivLUExtract_linked)},
    {"mtrx_houseHolderQr", reinterpret_cast<void*>(&mtrx_houseHolderQr_linked)},
    {"mtrx_colPivHouseholderQr", reinterpret_cast<void*>(&mtrx_colPivHouseholderQr_linked)},
    {"mtrx_fullPivHouseholderQr", reinterpret_cast<void*>(&mtrx_fullPivHouseholderQr_linked)},
    {"mtrx_cholesky", reinterpret_cast<void*>(&mtrx_cholesky_linked)},
    {"mtrx_ldlt", reinterpret_cast<void*>(&mtrx_ldlt_linked)},
    {"mtrx_isPosSemiDef", reinterpret_cast<void*>(&mtrx_isPosSemiDef_linked)},
    {"mtrx_isNegSemiDef", reinterpret_cast<void*>(&mtrx_isNegSemiDef_linked)},
    {"mtrx_eigenValues", reinterpret_cast<void*>(&mtrx_eigenValues_linked)},
    {"mtrx_eigenVectors", reinterpret_cast<void*>(&mtrx_eigenVectors_linked)},
    {"mtrx_isEqual", reinterpret_cast<void*>(&mtrx_isEqual_linked)},
    {"mtrx_coeffSum", reinterpret_cast<void*>(&mtrx_coeffSum_linked)},
    {"mtrx_coeffProd", reinterpret_cast<void*>(&mtrx_coeffProd_linked)},
    {"mtrx_coeffMean", reinterpret_cast<void*>(&mtrx_coeffMean_linked)},
    {"mtrx_coeffMin", reinterpret_cast<void*>(&mtrx_coeffMin_linked)},
    {"mtrx_coeffMax", reinterpret_cast<void*>(&mtrx_coeffMax_linked)},
    {"mtrx_coeffTrace", reinterpret_cast<void*>(&mtrx_coeffTrace_linked)},
    {"mtrx_random", reinterpret_cast<void*>(&mtrx_random_linked)},
    {"mtrx_identity", reinterpret_cast<void*>(&mtrx_identity_linked)},
    {"mtrx_zero", reinterpret_cast<void*>(&mtrx_zero_linked)},
    {"mtrx_constant", reinterpret_cast<void*>(&mtrx_constant_linked)},
    {"mtrx_isIdentity", reinterpret_cast<void*>(&mtrx_isIdentity_linked)},
    {"mtrx_isZero", reinterpret_cast<void*>(&mtrx_isZero_linked)},
    {"mtrx_isConstant", reinterpret_cast<void*>(&mtrx_isConstant_linked)},
    {"mtrx_cwiseMin", reinterpret_cast<void*>(&mtrx_cwiseMin_linked)},
    {"mtrx_cwiseMax", reinterpret_cast<void*>(&mtrx_cwiseMax_linked)},
    {"mtrx_cwiseProd", reinterpret_cast<void*>(&mtrx_cwiseProd_linked)},
    {"mtrx_cwiseQuot", reinterpret_cast<void*>(&mtrx_cwiseQuot_linked)},
    {"mtrx_cwiseSqrt", reinterpret_cast<void*>(&mtrx_cwiseSqrt_linked)},
    {"mtrx_cwiseInverse", reinterpret_cast<void*>(&mtrx_cwiseInverse_linked)},
    {"mtrx_abs", reinterpret_cast<void*>(&mtrx_abs_linked)},
    {"mtrx_coeffCapFloor", reinterpret_cast<void*>(&mtrx_coeffCapFloor_linked)},
    {"mtrx_coeffCap", reinterpret_cast<void*>(&mtrx_coeffCap_linked)},
    {"mtrx_coeffFloor", reinterpret_cast<void*>(&mtrx_coeffFloor_linked)},
    {"mtrx_isApprox", reinterpret_cast<void*>(&mtrx_isApprox_linked)},
    {"mtrx_isMuchSmallerThan", reinterpret_cast<void*>(&mtrx_isMuchSmallerThan_linked)},
    {"mtrx_dotProd", reinterpret_cast<void*>(&mtrx_dotProd_linked)},
    {"mtrx_row", reinterpret_cast<void*>(&mtrx_row_linked)},
    {"mtrx_column", reinterpret_cast<void*>(&mtrx_column_linked)},
    {"mtrx_diagnol", reinterpret_cast<void*>(&mtrx_diagnol_linked)},
    {"mtrx_rank", reinterpret_cast<void*>(&mtrx_rank_linked)},
    {"mtrx_kernel", reinterpret_cast<void*>(&mtrx_kernel_linked)},
    {"mtrx_image", reinterpret_cast<void*>(&mtrx_image_linked)},
    {"mtrx_squaredNorm", reinterpret_cast<void*>(&mtrx_squaredNorm_linked)},
    {"mtrx_norm", reinterpret_cast<void*>(&mtrx_norm_linked)},
    {"mtrx_block", reinterpret_cast<void*>(&mtrx_block_linked)},
    {"mtrx_replaceblock", reinterpret_cast<void*>(&mtrx_replaceblock_linked)},
    {"mtrx_append", reinterpret_cast<void*>(&mtrx_append_linked)},
    {"mtrx_setDiagonal", reinterpret_cast<void*>(&mtrx_setDiagonal_linked)},
    {"mtrx_setRow", reinterpret_cast<void*>(&mtrx_setRow_linked)},
    {"mtrx_setColumn", reinterpret_cast<void*>(&mtrx_setColumn_linked)},
    {"mtrx_setElement", reinterpret_cast<void*>(&mtrx_setElement_linked)},
    {"mtrx_isDiagonal", reinterpret_cast<void*>(&mtrx_isDiagonal_linked)},
    {"mtrx_isSquare", reinterpret_cast<void*>(&mtrx_isSquare_linked)},
    {"mtrx_isRow", reinterpret_cast<void*>(&mtrx_isRow_linked)},
    {"mtrx_isColumn", reinterpret_cast<void*>(&mtrx_isColumn_linked)},
    {"mtrx_cwisePow", reinterpret_cast<void*>(&mtrx_cwisePow_linked)},
    {"mtrx_repeat", reinterpret_cast<void*>(&mtrx_repeat_linked)},
};

CategoryTable linkedRows(CategoryTable table) {
  std::vector<FunctionRow> rows;
  for (std::size_t i = 0; i < table.functions.size(); ++i)
    if (procedures[i].address != nullptr && std::strcmp(procedures[i].text, table.functions[i].text) == 0)
      rows.push_back(table.functions[i]);
  table.functions = std::move(rows);
  return table;
}

}  // namespace

const CategoryTable& zr::MatrixCategory() {
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

  static const CategoryTable table = linkedRows({
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
  });
  return table;
}
