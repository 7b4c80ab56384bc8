// Reading, joining and editing parts of matrices; messages and check order.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "matrix/access.h"
#include "matrix/shape.h"

namespace {

using ZR::Matrix;

Matrix rows(int r, int c, std::initializer_list<double> v) {
  Matrix m(r, c);
  std::copy(v.begin(), v.end(), m.data());
  return m;
}
const Matrix M = rows(2, 3, {1, 2, 3, 4, 5, 6});

// The message a call throws, "bad allocation" for std::bad_alloc, "" for none.
std::string failure(const std::function<void()>& call) {
  try {
    call();
  } catch (const char* s) {
    return s;
  } catch (const std::bad_alloc&) {
    return "bad allocation";
  }
  return "";
}

TEST(Access, ReadsAndNorms) {
  EXPECT_EQ(ZR::row(M, 1), rows(1, 3, {4, 5, 6}));
  EXPECT_EQ(ZR::column(M, 2), rows(2, 1, {3, 6}));
  EXPECT_EQ(ZR::block(M, 0, 1, 2, 2), rows(2, 2, {2, 3, 5, 6}));
  EXPECT_EQ(ZR::block(M, 9, 9, 0, 5).size(), 0);
  const struct { int i; Matrix d; } diagonals[] = {
      {0, rows(2, 1, {1, 5})}, {1, rows(2, 1, {2, 6})}, {2, rows(1, 1, {3})},
      {-1, rows(1, 1, {4})}, {3, Matrix(0, 1)}, {-2, Matrix(0, 1)}};
  for (const auto& d : diagonals) EXPECT_EQ(ZR::diagonal(M, d.i), d.d) << d.i;
  EXPECT_EQ(ZR::squaredNorm(M), 91);
  EXPECT_EQ(ZR::norm(Matrix(0, 4)), 0);
  EXPECT_EQ(ZR::dotProd(rows(3, 1, {1, 2, 3}), rows(3, 1, {4, 5, 6})), 32);
  // Summed in order: (1e16 + 1) + -1e16 loses the 1.
  EXPECT_EQ(ZR::dotProd(rows(3, 1, {1e16, 1, -1e16}), rows(3, 1, {1, 1, 1})), 0);
}

TEST(Access, EditsAndJoins) {
  EXPECT_EQ(ZR::replaceBlock(M, rows(2, 1, {9, 9}), 0, 2), rows(2, 3, {1, 2, 9, 4, 5, 9}));
  EXPECT_EQ(ZR::append(M, rows(2, 1, {7, 8}), false), rows(2, 4, {1, 2, 3, 7, 4, 5, 6, 8}));
  EXPECT_EQ(ZR::append(M, rows(1, 3, {7, 8, 9}), true), rows(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(ZR::setDiagonal(M, rows(2, 1, {7, 8}), 1), rows(2, 3, {1, 7, 3, 4, 5, 8}));
  EXPECT_EQ(ZR::setDiagonal(M, rows(1, 2, {7, 1}), -1), rows(2, 3, {1, 2, 3, 7, 5, 6}));
  EXPECT_EQ(ZR::setRow(M, rows(2, 3, {7, 8, 9, 0, 0, 0}), 0), rows(2, 3, {7, 8, 9, 4, 5, 6}));
  EXPECT_EQ(ZR::setColumn(M, rows(2, 2, {0, 1, 0, 1}), 0), rows(2, 3, {0, 2, 3, 0, 5, 6}));
  EXPECT_EQ(ZR::setElement(M, 9, 1, 2), rows(2, 3, {1, 2, 3, 4, 5, 9}));
}

TEST(Access, Refusals) {
  const Matrix col2 = rows(2, 1, {0, 0}), row3 = rows(1, 3, {0, 0, 0});
  const struct { std::function<void()> call; const char* message; } cases[] = {
      {[&] { ZR::diagonal(M, 4); }, "bad allocation"},
      {[&] { ZR::diagonal(M, -3); }, "bad allocation"},
      {[&] { ZR::block(M, 0, 0, -1, 2); }, "bad allocation"},
      {[&] { ZR::block(M, 1, 0, 2, 1); }, "uBlasMatrix::mtrx_block::block out of range"},
      {[&] { ZR::row(M, 2); }, "uBlasMatrix::mtrx_row::Invalid value of row index"},
      {[&] { ZR::column(M, -1); }, "uBlasMatrix::mtrx_column::Invalid value of column index"},
      {[&] { ZR::dotProd(M, M); }, "uBlasMatrix::mtrx_dotProd::Inputs must be single columns of equal length"},
      {[&] { ZR::dotProd(col2, rows(3, 1, {0, 0, 0})); }, "uBlasMatrix::mtrx_dotProd::Inputs must be single columns of equal length"},
      {[&] { ZR::replaceBlock(M, rows(1, 2, {9, 9}), 1, 2); }, "mtrx_replaceblock()::Invalid (i,j) pair."},
      {[&] { ZR::replaceBlock(M, Matrix::Zero(3, 1), 0, 0); }, "mtrx_replaceblock()::Invalid (i,j) pair."},
      {[&] { ZR::append(M, col2, true); }, "ZR::uBlasMatrix::mtrx_append::Incompatible matrices"},
      {[&] { ZR::setDiagonal(M, rows(1, 1, {7}), 2); }, "uBlasMatrix::mtrx_setDiagonal::diagonalIndex out of range"},
      {[&] { ZR::setDiagonal(M, rows(1, 1, {7}), 1); }, "uBlasMatrix::mtrx_setDiagonal::diagonal lengths mismatch"},
      {[&] { ZR::setDiagonal(M, Matrix(2, 0), 0); }, "uBlasMatrix::mtrx_setDiagonal::Empty diagonal matrix"},
      // The index test comes before the size test.
      {[&] { ZR::setRow(M, col2, 2); }, "uBlasMatrix::mtrx_setRow::Invalid value of row index"},
      {[&] { ZR::setRow(M, col2, 1); }, "uBlasMatrix::mtrx_setRow::Incompatible row vector"},
      {[&] { ZR::setRow(M, Matrix(0, 3), 1); }, "uBlasMatrix::mtrx_setRow::Empty row vector"},
      {[&] { ZR::setColumn(M, row3, 3); }, "uBlasMatrix::mtrx_setColumn::Invalid value of column index"},
      {[&] { ZR::setColumn(M, row3, 0); }, "uBlasMatrix::mtrx_setColumn::Incompatible column vector"},
      {[&] { ZR::setColumn(M, Matrix(2, 0), 0); }, "uBlasMatrix::mtrx_setColumn::Empty column vector"},
      {[&] { ZR::setElement(M, 9, 0, -1); }, "uBlasMatrix::mtrx_setElement::(rowIndex,colIndex) out of range"},
      {[&] { ZR::repeat(M, -1, false); }, "bad allocation"},
      {[&] { ZR::repeat(M, 1 << 30, false); }, "uBlasMatrix::mtrx_repeat::repeated dimension exceeds 2147483647"},
      {[&] { ZR::repeat(Matrix(0, 8), 1 << 30, false); }, "uBlasMatrix::mtrx_repeat::repeated dimension exceeds 2147483647"},
      {[&] { ZR::repeat(rows(1, 1, {1}), 1 << 29, true); }, "bad allocation"},
  };
  for (const auto& c : cases) EXPECT_EQ(failure(c.call), c.message);
}

}  // namespace
