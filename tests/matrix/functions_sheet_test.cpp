// The matrix functions on a sheet: the category's rows in load order, ranges
// in and host values out, option texts, and failures turned into #VALUE!
// with their stored messages, in the order of their checks.
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;

bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

class MatrixSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    for (const char* c : {"A1 {1,2,3;4,5,6}", "A2 {1;2;3}", "A3 {7;8}", "A4 {0,0,0}", "B1 {4,2;2,3}",
                          "B2 {1,1;1,1}", "B3 {1,2,3;4,5,7}"})
      host.setCell(std::string(c, 2), "=mtrx_create(" + std::string(c + 3) + ")");
    host.setCell("B4", "=mtrx_fullPivLU(B3)");
    host.setCell("B5", "=mtrx_cwiseInverse(mtrx_create({0,1;1,1}))");  // {inf,1;1,1}
    host.setCell("B6", "=mtrx_minus(B5,B5)");                           // {NaN,0;0,0}
    host.calculate();
  }
  Value cell(const std::string& formula) { return enter(last = "C" + std::to_string(++row), formula); }
  // What mtrx_display shows of a stored matrix.
  std::string shown(const Value& handle) { return host.call("mtrx_display", {handle}, "Z1").display(); }
  int row = 0;
  std::string last;
};

// The 75 functions in load order, built group by group from where each
// group is placed: creation first, then algebra with the inverse and the
// determinant among it, the decompositions, the reductions with the sized
// constructors inside, the coefficient-wise functions, the element edits with
// rank, kernel and image inside, and the shape tests last.
TEST_F(MatrixSheet, SeventyFiveFunctionsInLoadOrder) {
  std::vector<std::string> order{"mtrx_create"}, names;
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
  for (const auto& r : host.registrations()) {
    if (r.category != "ZR_BLAS") continue;
    names.push_back(r.functionText);
    EXPECT_TRUE(r.procedure == "?" + r.functionText && r.active() && r.address) << r.functionText;
    // Every function ends with the trigger (mtrx_create's is untracked: P).
    EXPECT_TRUE(endsWith(r.typeText, r.functionText == "mtrx_create" ? "K#P" : "P#")) << r.functionText;
    EXPECT_TRUE(endsWith(r.argumentText, ", trigger")) << r.functionText;
    EXPECT_EQ(r.argumentHelp.back(), "is an optional argument for static dependencies.") << r.functionText;
  }
  EXPECT_EQ(names, order);
}

// The texts of rows unlike the others: mtrx_create's own arguments and
// untracked trigger, a result type without '#', a blank inside an argument
// name, a help over two lines.
TEST_F(MatrixSheet, TextsOfTheRowsUnlikeTheOthers) {
  const std::pair<const char*, std::string> rows[] = {
      {"mtrx_create", "R#K#P|mtrx, trigger|Creates the matrix object.|is the input data array."},
      {"mtrx_display", "RF#P#|mtrx, trigger|displays the matrix as an array.|is the input matrix."},
      {"mtrx_append", "R#F#F#A#P#|mtrx1, mtrx2, vertical , trigger|appends two matrices either vertically or "
                      "horizontally.|is the first matrix.|is the second matrix.|whether vertical or horizontal."},
      {"mtrx_diagnol", "R#F#J#P#|mtrx, i, trigger|returns the ith diagnol of the input matrix.|is the input matrix.|"
                       "is the diagnol number. \nPositives indicate super diagnol while the negatives indicate sub "
                       "diagnol."}};
  for (const auto& r : rows) {
    const xlsim::Registration& g = *host.function(r.first);
    std::string text = g.typeText + "|" + g.argumentText + "|" + g.functionHelp;
    for (size_t k = 0; k + 1 < g.argumentHelp.size(); ++k) text += "|" + g.argumentHelp[k];
    EXPECT_EQ(text, r.second);
  }
}

TEST_F(MatrixSheet, RangesInAndHostValuesOut) {
  for (const char* c : {"E1 1", "F1 2.5", "G1 -3", "E2 4", "G2 1e300"}) host.setCell(std::string(c, 2), c + 3);
  EXPECT_EQ(enter("H1", "=mtrx_create(E1:G2)").str.substr(0, 5), "#hndl");  // F2 stays empty and reads as 0
  host.setCell("H2:J3", "=mtrx_display(H1)");
  host.calculate();
  EXPECT_EQ(host.values("H2:J3").display(), "{1,2.5,-3;4,0,1e+300}");
  EXPECT_TRUE(cell("=mtrx_display(mtrx_random(3,0))").is(Value::Missing));
  // 257 x 255 = 65,535 values, the most the classic array holds.
  Value v = host.call("mtrx_display", {host.call("mtrx_identity", {257, 255}, "A9")}, "B9");
  EXPECT_EQ(v.rows * 1000 + v.columns, 257255);
  EXPECT_EQ(v.at(254, 254).num + v.at(256, 254).num, 1);
  // A number or Boolean as the cell shows it, else what mtrx_display shows of the stored matrix.
  const std::pair<const char*, const char*> cases[] = {
      {"=mtrx_rows(A1)", "2"}, {"=mtrx_cols(mtrx_zero(0,4))", "4"}, {"=mtrx_dotProd(A2,A2)", "14"},
      {"=mtrx_det(B1)", "8"}, {"=mtrx_det(B5)", "#NUM!"}, {"=mtrx_det(B6)", "#NUM!"},
      {"=mtrx_isInvertible(B3)", "FALSE"},
      {"=mtrx_isZero(mtrx_constant(2,2,1E-13),)", "FALSE"},  // an empty precision arrives as 0: exact
      {"=mtrx_isIdentity(mtrx_constant(1,1,1.25),0.5)", "TRUE"},
      {"=mtrx_isConstant(mtrx_constant(1,2,1.5),1.5000001,1E-6)", "TRUE"},
      {"=mtrx_multiplyConst(A1,-0.5)", "{-0.5,-1,-1.5;-2,-2.5,-3}"}, {"=mtrx_coeffCap(A1,)", "{0,0,0;0,0,0}"},
      {"=mtrx_append(A2,A2)", "{1,1;2,2;3,3}"}, {"=mtrx_repeat(A2,2,TRUE)", "{1;2;3;1;2;3}"},
      {"=mtrx_setElement(A1,9,1,2)", "{1,2,3;4,5,9}"}, {"=mtrx_block(A1,0,1,2,2)", "{2,3;5,6}"},
      {"=mtrx_coeffCapFloor(A1,4.5,1.5)", "{1.5,2,3;4,4.5,4.5}"}, {"=mtrx_coeffFloor(A1,2.5)", "{2.5,2.5,3;4,5,6}"},
      {"=mtrx_cwisePow(mtrx_create({4,9}),1.5)", "{8,27}"}, {"=mtrx_isMuchSmallerThan(A2,A1,0.5)", "TRUE"},
      {"=mtrx_isApprox(A1,mtrx_multiplyConst(A1,1.01),0.02)", "TRUE"},
      // Each remaining function once, on values that tell it from its neighbours.
      {"=mtrx_adjoint(A2)", "{1,2,3}"}, {"=mtrx_invert(mtrx_create({2,0;0,4}))", "{0.5,0;0,0.25}"},
      {"=mtrx_rank(B2)", "1"}, {"=mtrx_kernel(B2)", "{-1;1}"}, {"=mtrx_image(B2)", "{1;1}"},
      {"=mtrx_isPosSemiDef(B2)", "TRUE"}, {"=mtrx_isNegSemiDef(B2)", "FALSE"},
      {"=mtrx_eigenValues(mtrx_create({3,0;0,2}))", "{2;3}"},
      {"=mtrx_eigenVectors(mtrx_create({3,0;0,2}))", "{0,1;1,0}"},
      {"=mtrx_isEqual(A1,A1)", "TRUE"}, {"=mtrx_coeffSum(A1)", "21"}, {"=mtrx_coeffProd(A1)", "720"},
      {"=mtrx_coeffMean(A1)", "3.5"}, {"=mtrx_coeffMin(A1)", "1"}, {"=mtrx_coeffMax(A1)", "6"},
      {"=mtrx_coeffTrace(B1)", "7"},
      {"=mtrx_cwiseSqrt(mtrx_create({4,9}))", "{2,3}"}, {"=mtrx_cwiseInverse(mtrx_create({4,-2}))", "{0.25,-0.5}"},
      {"=mtrx_abs(mtrx_create({-4,2}))", "{4,2}"}, {"=mtrx_squaredNorm(A2)", "14"},
      {"=mtrx_norm(mtrx_create({3,4}))", "5"}, {"=mtrx_isDiagonal(B1)", "FALSE"}, {"=mtrx_isSquare(B1)", "TRUE"},
      {"=mtrx_isRow(A4)", "TRUE"}, {"=mtrx_isColumn(A4)", "FALSE"},
  };
  for (const auto& c : cases) {
    const Value got = cell(c.first);
    EXPECT_EQ(got.str.substr(0, 5) == "#hndl" ? shown(got) : got.display(), c.second) << c.first;
  }
  EXPECT_EQ(shown(host.value("A1")), "{1,2,3;4,5,6}");  // edits leave the operand as it was
  // Each option against the same result spelt otherwise, and its shape.
  const struct { const char* formula; const char* same; int shape; } options[] = {
      {"mtrx_fullPivLUExtract(B4,\"lu\")", "mtrx_fullPivLUExtract(B4,\"\")", 23},
      {"mtrx_fullPivLUExtract(B4,\"P\")", "mtrx_fullPivLUExtract(B4,\"p\")", 22},
      {"mtrx_fullPivLUExtract(B4,\"Q\")", "mtrx_fullPivLUExtract(B4,\"q\")", 33},
      {"mtrx_partialPivLU(B1,\"U\")", "mtrx_create({4,2;0,2})", 22},
      {"mtrx_partialPivLU(B1,\"Lu\")", "mtrx_create({4,2;0.5,2})", 22},
      {"mtrx_houseHolderQr(B3,\"QR\")", "mtrx_houseHolderQr(B3,\"\")", 23},
      {"mtrx_colPivHouseholderQr(B3,\"R\")", "mtrx_triangularView(mtrx_colPivHouseholderQr(B3,\"\"),\"u\")", 23},
      {"mtrx_fullPivHouseholderQr(B3,\"R\")", "mtrx_triangularView(mtrx_fullPivHouseholderQr(B3,\"qr\"),\"u\")", 23},
      {"mtrx_cholesky(B1,\"U\")", "mtrx_transpose(mtrx_cholesky(B1,\"\"))", 22},
      {"mtrx_ldlt(B1,\"D\")", "mtrx_create({4,0;0,2})", 22},
      {"mtrx_ldlt(mtrx_create({5}),\"u\")", "mtrx_create({1})", 11},
  };
  for (const auto& o : options) {
    const Value v = host.call("mtrx_display", {cell(std::string("=") + o.formula)}, "Z1");
    EXPECT_EQ(v, host.call("mtrx_display", {cell(std::string("=") + o.same)}, "Z1")) << o.formula;
    EXPECT_EQ(v.rows * 10 + v.columns, o.shape) << o.formula;
  }
}

// A number wherever the answer is a double, though squares, sums or
// products on the way to it are not; #NUM! only where the answer is not.
TEST_F(MatrixSheet, AnswersThatAreDoublesAtAnyScale) {
  const std::pair<const char*, const char*> cases[] = {
      {"=mtrx_isApprox(mtrx_create({1E+200,2E+200}),mtrx_create({-1E+200,-2E+200}),1E-12)", "FALSE"},
      {"=mtrx_isMuchSmallerThan(mtrx_create({1E-200}),mtrx_create({1E-300}),0.001)", "FALSE"},
      {"=mtrx_det(mtrx_asDiagonal(mtrx_create({1E+200;1E+200;1E-200;1E-200})))", "1"},
      {"=mtrx_det(mtrx_asDiagonal(mtrx_create({2E+200;3E+200;0})))", "0"},
      {"=mtrx_det(mtrx_asDiagonal(mtrx_create({1E+200;1E+200;1E-10})))", "#NUM!"},
      {"=mtrx_coeffMean(mtrx_create({1E+308,1E+308;1E+308,1E+308}))", "1e+308"},
      {"=mtrx_coeffSum(mtrx_create({1E+308,1E+308;1E+308,1E+308}))", "#NUM!"},
      {"=mtrx_squaredNorm(mtrx_create({3E+200,4E+200}))", "#NUM!"},
      // a product's entry whose partial sum overflows; one whose answer does
      {"=mtrx_display(mtrx_multiply(mtrx_create({1E+200,1E+200}),mtrx_create({1E+200;-1E+200})))", "0"},
      {"=mtrx_display(mtrx_multiply(mtrx_create({1E+300,1E+300,-1E+300}),mtrx_create({1;1;1})))", "1e+300"},
      {"=mtrx_display(mtrx_multiply(mtrx_create({1E+300,1E+300,-1E+300}),mtrx_create({1E+10;1E+10;1E+10})))",
       "#NUM!"},
  };
  for (const auto& c : cases) EXPECT_EQ(cell(c.first).display(), c.second) << c.first;
  // mpmath, correctly rounded (tools/matrix/make_reference.py): within an ulp.
  const std::pair<const char*, double> norms[] = {{"=mtrx_norm(mtrx_create({3E+200,4E+200}))", 4.9999999999999995e+200},
                                                  {"=mtrx_norm(mtrx_create({3E-200,4E-200}))", 5e-200}};
  for (const auto& n : norms) {
    const Value v = cell(n.first);
    EXPECT_TRUE(v.is(Value::Number) && std::abs(v.num - n.second) <= 2.3e-16 * n.second) << n.first << " " << v;
  }
}

TEST_F(MatrixSheet, FailuresInTheOrderOfTheirChecks) {
  const double objects = host.call("hf_count", {}, "Z2").num;
  const std::string anyCast = "boost::bad_any_cast: failed conversion using boost::any_cast";
  const std::string blas = "ZR::uBlasMatrix::", u = "uBlasMatrix::", incompatible = "::Incompatible matrices";
  const std::string caseSensitive = "::Invalid value for opt. This option is case sensitive.";
  const std::string nonFinite = " - Input matrix holds NaN or infinity";
  const std::string repeat = u + "mtrx_repeat::repeated dimension exceeds 2147483647";
  const struct { const char* formula; std::string message; } cases[] = {
      // Handles are looked up in argument order and before any index test; a
      // decomposition is not a matrix, nor a matrix a decomposition.
      {"mtrx_setRow(\"#hndl99\",\"\",-1)", anyCast}, {"mtrx_cwiseProd(A1,\"#hndl98\")", anyCast},
      {"mtrx_transpose(B4)", anyCast}, {"mtrx_fullPivLUExtract(B3,\"l\")", anyCast},
      // The extraction checks its option before the handle; the others look up first.
      {"mtrx_fullPivLUExtract(\"#hndl999\",\"lu \")", blas + "mtrx_fullPivLUExtract" + caseSensitive},
      {"mtrx_partialPivLU(\"#hndl999\",\"x\")", anyCast}, {"mtrx_cholesky(\"#hndl999\",\"x\")", anyCast},
      {"mtrx_partialPivLU(B1,\"p\")", blas + "mtrx_partialPivLU" + caseSensitive},
      {"mtrx_colPivHouseholderQr(B1,\"q\")", blas + "mtrx_colPivHouseholderQr" + caseSensitive},
      {"mtrx_fullPivHouseholderQr(B1,\"rq\")", blas + "mtrx_fullPivHouseholderQr" + caseSensitive},
      {"mtrx_cholesky(B1,\"lu\")",
       blas + "mtrx_cholesky::Invalid value for opt. Expected 'l' or 'u'. This option is case sensitive."},
      {"mtrx_ldlt(B1,\"x\")",
       blas + "mtrx_ldlt::Invalid value for opt. Expected 'l' , 'd' or 'u'. This option is case sensitive."},
      {"mtrx_ldlt(mtrx_create({5}),\"d\")", blas + "mtrx_ldlt:: Invalid input matrix"},
      {"mtrx_zero(100000,10000)", "bad allocation"}, {"mtrx_diagnol(A1,-3)", "bad allocation"},
      {"mtrx_repeat(A1,-1)", "bad allocation"},
      {"mtrx_repeat(mtrx_zero(0,8),1073741824)", repeat}, {"mtrx_repeat(A3,1073741824,TRUE)", repeat},
      {"mtrx_display(mtrx_zero(1,300))", "ensure: \"c <= xll::limits<X>::maxcols\" failed"},
      {"mtrx_display(mtrx_zero(300,255))", "ensure: \"i < size(x)\" failed"},
      {"mtrx_add(A1,A4)", blas + "mtrx_add" + incompatible}, {"mtrx_minus(A1,A4)", blas + "mtrx_minus" + incompatible},
      {"mtrx_multiply(A1,A1)", blas + "mtrx_multiply" + incompatible},
      {"mtrx_cwiseMin(A1,A4)", blas + "mtrx_cwiseMin" + incompatible},
      {"mtrx_cwiseMax(A1,A4)", blas + "mtrx_cwiseMax" + incompatible},
      {"mtrx_cwiseProd(A1,A4)", blas + "mtrx_cwiseProd" + incompatible},
      {"mtrx_cwiseQuot(A1,A4)", blas + "mtrx_cwiseQuot" + incompatible},
      {"mtrx_isApprox(A1,A4,1)", blas + "mtrx_isApprox" + incompatible},
      {"mtrx_append(A1,A3,TRUE)", blas + "mtrx_append" + incompatible},
      {"mtrx_asDiagonal(A4)", blas + "mtrx_asDiagonal::Input matrix must have one column"},
      {"mtrx_coeffMean(mtrx_zero(0,0))", blas + "mtrx_coeffMean::Input matrix is empty"},
      {"mtrx_coeffMin(mtrx_zero(2,0))", blas + "mtrx_coeffMin::Input matrix is empty"},
      {"mtrx_coeffMax(mtrx_zero(0,3))", blas + "mtrx_coeffMax::Input matrix is empty"},
      {"mtrx_block(A1,1,0,2,1)", u + "mtrx_block::block out of range"},
      {"mtrx_row(A1,2)", u + "mtrx_row::Invalid value of row index"},
      {"mtrx_column(A1,-1)", u + "mtrx_column::Invalid value of column index"},
      {"mtrx_dotProd(A3,A2)", u + "mtrx_dotProd::Inputs must be single columns of equal length"},
      {"mtrx_replaceblock(A1,mtrx_create({9,9}),1,2)", "mtrx_replaceblock()::Invalid (i,j) pair."},
      {"mtrx_setDiagonal(A1,A3,2)", u + "mtrx_setDiagonal::diagonalIndex out of range"},
      {"mtrx_setDiagonal(A1,A3,-1)", u + "mtrx_setDiagonal::diagonal lengths mismatch"},
      {"mtrx_setDiagonal(A1,mtrx_zero(2,0),0)", u + "mtrx_setDiagonal::Empty diagonal matrix"},
      // The index test comes before the size test.
      {"mtrx_setRow(A1,A3,2)", u + "mtrx_setRow::Invalid value of row index"},
      {"mtrx_setRow(A1,A3,1)", u + "mtrx_setRow::Incompatible row vector"},
      {"mtrx_setRow(A1,mtrx_zero(0,3),1)", u + "mtrx_setRow::Empty row vector"},
      {"mtrx_setColumn(A1,A4,3)", u + "mtrx_setColumn::Invalid value of column index"},
      {"mtrx_setColumn(A1,A4,0)", u + "mtrx_setColumn::Incompatible column vector"},
      {"mtrx_setColumn(A1,mtrx_zero(2,0),0)", u + "mtrx_setColumn::Empty column vector"},
      {"mtrx_setElement(A1,9,0,-1)", u + "mtrx_setElement::(rowIndex,colIndex) out of range"},
      // Input that the decompositions cannot take.
      {"mtrx_invert(B2)", blas + "mtrx_invert - Input matrix is not invertible"},
      {"mtrx_det(B3)", blas + "mtrx_det - Input matrix is not square"},
      {"mtrx_fullPivLU(mtrx_zero(2,0))", blas + "mtrx_fullPivLU - Input matrix is empty"},
      {"mtrx_colPivHouseholderQr(mtrx_zero(3,0),\"r\")",
       blas + "mtrx_colPivHouseholderQr - Input matrix has no columns"},
      {"mtrx_cholesky(B2,\"l\")", blas + "mtrx_cholesky - Input matrix is not positive definite"},
      {"mtrx_ldlt(mtrx_create({0,1;1,0}),\"l\")", blas + "mtrx_ldlt - Input matrix has no LDLT decomposition"},
      {"mtrx_eigenVectors(B3)", blas + "mtrx_eigenVectors - Input matrix must be square and not empty"},
      // A NaN or infinity, refused by each function that decomposes.
      {"mtrx_rank(B5)", blas + "mtrx_rank" + nonFinite}, {"mtrx_kernel(B6)", blas + "mtrx_kernel" + nonFinite},
      {"mtrx_image(B5)", blas + "mtrx_image" + nonFinite},
      {"mtrx_isInvertible(B6)", blas + "mtrx_isInvertible" + nonFinite},
      {"mtrx_invert(B6)", blas + "mtrx_invert" + nonFinite},
      {"mtrx_fullPivLU(B5)", blas + "mtrx_fullPivLU" + nonFinite},
      {"mtrx_partialPivLU(B6,\"l\")", blas + "mtrx_partialPivLU" + nonFinite},
      {"mtrx_houseHolderQr(B5,\"r\")", blas + "mtrx_houseHolderQr" + nonFinite},
      {"mtrx_colPivHouseholderQr(B6,\"qr\")", blas + "mtrx_colPivHouseholderQr" + nonFinite},
      {"mtrx_fullPivHouseholderQr(B5,\"q\")", blas + "mtrx_fullPivHouseholderQr" + nonFinite},
      {"mtrx_cholesky(B6,\"l\")", blas + "mtrx_cholesky" + nonFinite},
      {"mtrx_ldlt(B5,\"d\")", blas + "mtrx_ldlt" + nonFinite},
      {"mtrx_isPosSemiDef(B6)", blas + "mtrx_isPosSemiDef" + nonFinite},
      {"mtrx_isNegSemiDef(B5)", blas + "mtrx_isNegSemiDef" + nonFinite},
      {"mtrx_eigenValues(B6)", blas + "mtrx_eigenValues" + nonFinite},
      {"mtrx_eigenVectors(B5)", blas + "mtrx_eigenVectors" + nonFinite},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(zrtest::isError(cell(std::string("=") + c.formula), xlerrValue)) << c.formula;
    const std::string stored = errorOf(last), end = stored.substr(stored.rfind('\n') + 1);
    EXPECT_EQ(c.message.rfind("ensure", 0) == 0 ? end : stored, c.message) << c.formula;  // an ensure's ends its text
  }
  // Nothing is stored but the empty entries of the three unknown handles and
  // the nested operands.
  EXPECT_EQ(host.call("hf_count", {}, "Z2").num, objects + 3 + 14);
}

}  // namespace
