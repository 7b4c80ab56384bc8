// The coefficient-wise, access and shape functions on sheets: registration
// rows, host values, empty arguments, and the lookups before any test.
#include <string>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;

class MatrixSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    host.setCell("A1", "=mtrx_create({1,2,3;4,5,6})");
    host.setCell("A2", "=mtrx_create({1;2;3})");
    host.calculate();
  }
  Value cell(const std::string& formula) { return enter(last = "C" + std::to_string(++row), formula); }
  // What mtrx_display shows of a stored matrix.
  std::string shown(const Value& handle) { return host.call("mtrx_display", {handle}, "Z1").display(); }
  int row = 0;
  std::string last;
};

TEST_F(MatrixSheet, RegistrationRows) {
  const struct { const char* text; const char* type; const char* args; const char* help; } rows[] = {
      {"mtrx_isApprox", "R#F#F#B#P#", "mtrx1, mtrx2, precision, trigger",
       "compares whether two matrices are approx. Multiplicative check and hence will not work for zeros."},
      {"mtrx_append", "R#F#F#A#P#", "mtrx1, mtrx2, vertical , trigger", "appends two matrices either vertically or horizontally."},
      {"mtrx_setDiagonal", "R#F#F#J#P#", "mtrx, diagonalMatrix, diagIndex  , trigger", "aoverride the diagonal of the input matrix."},
      {"mtrx_setRow", "R#F#F#J#P#", "mtrx, rowMtrx, rowIndex  , trigger", "override a row of the input matrix."},
      {"mtrx_setColumn", "R#F#F#J#P#", "mtrx, colMtrx, colIndex  , trigger", "override a column of the input matrix."},
      {"mtrx_repeat", "R#F#J#A#P#", "mtrx, n, vertical, trigger", "repeats the input matrix n times vertically or horizontally."},
  };
  for (const auto& r : rows) {
    const xlsim::Registration* g = host.function(r.text);
    ASSERT_TRUE(g != nullptr) << r.text;
    EXPECT_EQ(g->typeText + "|" + g->argumentText + "|" + g->functionHelp + "|" + g->category,
              std::string(r.type) + "|" + r.args + "|" + r.help + "|ZR_BLAS");
  }
  EXPECT_EQ(host.function("mtrx_diagnol")->argumentHelp.at(1),
            "is the diagnol number. \nPositives indicate super diagnol while the negatives indicate sub diagnol.");
}

TEST_F(MatrixSheet, ValuesAndEmptyArguments) {
  EXPECT_EQ(shown(cell("=mtrx_coeffCap(A1,)")), "{0,0,0;0,0,0}");
  EXPECT_EQ(shown(cell("=mtrx_append(A2,A2)")), "{1,1;2,2;3,3}");
  EXPECT_EQ(shown(cell("=mtrx_repeat(A2,2,TRUE)")), "{1;2;3;1;2;3}");
  EXPECT_EQ(cell("=mtrx_dotProd(A2,A2)").num, 14);
  EXPECT_TRUE(cell("=mtrx_isApprox(A1,A1,)").flag);  // empty precision: exact
  // Edits leave the operand as it was.
  EXPECT_EQ(shown(cell("=mtrx_setElement(A1,9,1,2)")), "{1,2,3;4,5,9}");
  EXPECT_EQ(shown(host.value("A1")), "{1,2,3;4,5,6}");
}

TEST_F(MatrixSheet, Refusals) {
  host.setCell("A3", "=mtrx_create({7;8})");
  host.setCell("A4", "=mtrx_create({0,0,0})");
  host.calculate();
  const double objects = host.call("hf_count", {}, "Z2").num;
  const std::string cwise = "ZR::uBlasMatrix::mtrx_", anyCast = "boost::bad_any_cast: failed conversion using boost::any_cast";
  const std::string repeat = "uBlasMatrix::mtrx_repeat::repeated dimension exceeds 2147483647";
  const struct { const char* formula; std::string message; } cases[] = {
      // The first argument is looked up first, and before any index test.
      {"=mtrx_setRow(\"#hndl99\",\"\",-1)", anyCast}, {"=mtrx_cwiseProd(A1,\"#hndl98\")", anyCast},
      {"=mtrx_cwiseMin(A1,A4)", cwise + "cwiseMin::Incompatible matrices"},
      {"=mtrx_cwiseMax(A1,A4)", cwise + "cwiseMax::Incompatible matrices"},
      {"=mtrx_cwiseProd(A1,A4)", cwise + "cwiseProd::Incompatible matrices"},
      {"=mtrx_cwiseQuot(A1,A4)", cwise + "cwiseQuot::Incompatible matrices"},
      {"=mtrx_isApprox(A1,A4,1)", cwise + "isApprox::Incompatible matrices"},
      {"=mtrx_append(A1,A3,TRUE)", cwise + "append::Incompatible matrices"},
      {"=mtrx_diagnol(A1,-3)", "bad allocation"}, {"=mtrx_repeat(A1,-1)", "bad allocation"},
      {"=mtrx_block(A1,1,0,2,1)", "uBlasMatrix::mtrx_block::block out of range"},
      {"=mtrx_row(A1,2)", "uBlasMatrix::mtrx_row::Invalid value of row index"},
      {"=mtrx_column(A1,-1)", "uBlasMatrix::mtrx_column::Invalid value of column index"},
      {"=mtrx_dotProd(A3,A2)", "uBlasMatrix::mtrx_dotProd::Inputs must be single columns of equal length"},
      {"=mtrx_replaceblock(A1,mtrx_create({9,9}),1,2)", "mtrx_replaceblock()::Invalid (i,j) pair."},
      {"=mtrx_setDiagonal(A1,A3,2)", "uBlasMatrix::mtrx_setDiagonal::diagonalIndex out of range"},
      {"=mtrx_setDiagonal(A1,A3,-1)", "uBlasMatrix::mtrx_setDiagonal::diagonal lengths mismatch"},
      {"=mtrx_setDiagonal(A1,mtrx_zero(2,0),0)", "uBlasMatrix::mtrx_setDiagonal::Empty diagonal matrix"},
      // The index test comes before the size test.
      {"=mtrx_setRow(A1,A3,2)", "uBlasMatrix::mtrx_setRow::Invalid value of row index"},
      {"=mtrx_setRow(A1,A3,1)", "uBlasMatrix::mtrx_setRow::Incompatible row vector"},
      {"=mtrx_setRow(A1,mtrx_zero(0,3),1)", "uBlasMatrix::mtrx_setRow::Empty row vector"},
      {"=mtrx_setColumn(A1,A4,3)", "uBlasMatrix::mtrx_setColumn::Invalid value of column index"},
      {"=mtrx_setColumn(A1,A4,0)", "uBlasMatrix::mtrx_setColumn::Incompatible column vector"},
      {"=mtrx_setColumn(A1,mtrx_zero(2,0),0)", "uBlasMatrix::mtrx_setColumn::Empty column vector"},
      {"=mtrx_setElement(A1,9,0,-1)", "uBlasMatrix::mtrx_setElement::(rowIndex,colIndex) out of range"},
      {"=mtrx_repeat(mtrx_zero(0,8),1073741824)", repeat}, {"=mtrx_repeat(A3,1073741824,TRUE)", repeat},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(zrtest::isError(cell(c.formula), xlerrValue)) << c.formula;
    EXPECT_EQ(errorOf(last), c.message) << c.formula;
  }
  // Nothing is stored but the empty entries of the two unknown handles and
  // the nested operands.
  EXPECT_EQ(host.call("hf_count", {}, "Z2").num, objects + 2 + 5);
}

}  // namespace
