// The LU, QR and symmetric decomposition functions on sheets: registration
// rows, option texts, the order of checks and the messages.
#include <string>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;

class DecompositionSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    host.setCell("A1", "=mtrx_create({4,2;2,3})");
    host.setCell("A2", "=mtrx_create({1,1;1,1})");
    host.setCell("A3", "=mtrx_create({1,2,3;4,5,7})");
    host.setCell("A4", "=mtrx_fullPivLU(A3)");
    host.calculate();
  }
  Value cell(const std::string& formula) { return enter(last = "C" + std::to_string(++row), formula); }
  // What mtrx_display shows of the matrix a formula stores.
  Value shown(const std::string& formula) { return host.call("mtrx_display", {cell(formula)}, "Z1"); }
  int row = 0;
  std::string last;
};

TEST_F(DecompositionSheet, RegistrationRows) {
  const struct { const char* text; const char* help; const char* opt; } rows[] = {
      {"mtrx_invert", "calculates the matrix inverse.", nullptr},
      {"mtrx_isInvertible", "checks if the matrix is invertible.", nullptr},
      {"mtrx_det", "returns the matrix determinant.", nullptr},
      {"mtrx_partialPivLU",
       "performs partial pivot LU decomposition on the input matrix.\n Returns L,U or LU matrix depending on the value of opt.",
       "can be 'l','u' or 'lu' to return matrix 'L', 'U' or 'LU' matrix."},
      {"mtrx_fullPivLU",
       "performs full pivot LU decomposition. Returns a proxy object which can be queried for the decomposed.", nullptr},
      {"mtrx_fullPivLUExtract", "returns one factor of a stored full pivot LU decomposition, chosen by opt.",
       "can be 'l','u','lu', 'p' or 'q' to return matrix 'L', 'U','LU', Permutation 'P' and 'Q'."},
      {"mtrx_rank", "calculates the rank of the matrix.", nullptr},
      {"mtrx_kernel", "calculates the kernel of the matrix (null space).", nullptr},
      {"mtrx_image", "calculates the image of the matrix (column space).", nullptr},
      {"mtrx_houseHolderQr", "performs QR decomposition through house Holder QR.",
       "can be 'r' or 'qr'.\nIt will not return the q matrix - use fullHouseHolderQr if you want q matrix also."},
      {"mtrx_colPivHouseholderQr", "performs QR decomposition through column pivot HouseHolder QR.",
       "can be 'r' or 'qr'.\ncan be 'r' or 'qr'. Will not return the q matrix - use fullHouseHolderQr if you want q "
       "matrix also."},
      {"mtrx_fullPivHouseholderQr", "performs QR decomposition through Full HouseHolder QR.", "can be 'q', 'r' or 'qr'."},
      {"mtrx_cholesky", "performs cholesky decomposition. See also mtrx_ldlt.", "can be 'l' or 'u'."},
      {"mtrx_ldlt", "performs cholesky decomposition. Method ldlt() from Eigen.", "can be 'l' or 'u' or 'd'"},
      {"mtrx_isPosSemiDef", "checks if the input matrix is positive semi definitive.", nullptr},
      {"mtrx_isNegSemiDef", "checks if the input matrix is negative semi definitive.", nullptr},
      {"mtrx_eigenValues", "gets the eigen values of the input matrix.", nullptr},
      {"mtrx_eigenVectors", "gets the eigen vectors of the input matrix.", nullptr},
  };
  for (const auto& r : rows) {
    const xlsim::Registration* g = host.function(r.text);
    ASSERT_TRUE(g != nullptr) << r.text;
    EXPECT_EQ(g->typeText + " " + g->argumentText, r.opt ? "R#F#F#P# mtrx, opt, trigger" : "R#F#P# mtrx, trigger");
    EXPECT_EQ(g->functionHelp, r.help);
    std::string help;
    for (const std::string& h : g->argumentHelp) help += h + "|";
    EXPECT_EQ(help, "is the input matrix.|" + (r.opt ? r.opt + std::string("|") : "") +
                        "is an optional argument for static dependencies.|");
  }
}

TEST_F(DecompositionSheet, ResultsAndOptions) {
  EXPECT_EQ(cell("=mtrx_det(A1)"), Value::number(8));
  EXPECT_EQ(cell("=mtrx_isInvertible(A3)"), Value::boolean(false));
  // Each option against the same result spelt otherwise, and its shape.
  const struct { const char* formula; const char* same; int shape; } options[] = {
      {"mtrx_fullPivLUExtract(A4,\"lu\")", "mtrx_fullPivLUExtract(A4,\"\")", 23},
      {"mtrx_fullPivLUExtract(A4,\"P\")", "mtrx_fullPivLUExtract(A4,\"p\")", 22},
      {"mtrx_fullPivLUExtract(A4,\"Q\")", "mtrx_fullPivLUExtract(A4,\"q\")", 33},
      {"mtrx_partialPivLU(A1,\"U\")", "mtrx_create({4,2;0,2})", 22},
      {"mtrx_partialPivLU(A1,\"Lu\")", "mtrx_create({4,2;0.5,2})", 22},
      {"mtrx_houseHolderQr(A3,\"QR\")", "mtrx_houseHolderQr(A3,\"\")", 23},
      {"mtrx_colPivHouseholderQr(A3,\"R\")", "mtrx_triangularView(mtrx_colPivHouseholderQr(A3,\"\"),\"u\")", 23},
      {"mtrx_cholesky(A1,\"U\")", "mtrx_transpose(mtrx_cholesky(A1,\"\"))", 22},
      {"mtrx_ldlt(A1,\"D\")", "mtrx_create({4,0;0,2})", 22},
      {"mtrx_ldlt(mtrx_create({5}),\"u\")", "mtrx_create({1})", 11},
  };
  for (const auto& o : options) {
    const Value v = shown(std::string("=") + o.formula);
    EXPECT_EQ(v, shown(std::string("=") + o.same)) << o.formula;
    EXPECT_EQ(v.rows * 10 + v.columns, o.shape) << o.formula;
  }
}

TEST_F(DecompositionSheet, FailuresInTheirOrder) {
  const std::string anyCast = "boost::bad_any_cast: failed conversion using boost::any_cast";
  const std::string blas = "ZR::uBlasMatrix::", caseSensitive = "::Invalid value for opt. This option is case sensitive.";
  const struct { const char* formula; std::string message; } failures[] = {
      // The extraction checks its option before the handle; the others look up first.
      {"mtrx_fullPivLUExtract(\"#hndl999\",\"lu \")", blas + "mtrx_fullPivLUExtract" + caseSensitive},
      {"mtrx_partialPivLU(\"#hndl999\",\"x\")", anyCast}, {"mtrx_cholesky(\"#hndl999\",\"x\")", anyCast},
      // A decomposition is not a matrix, nor a matrix a decomposition or an option.
      {"mtrx_fullPivLUExtract(A3,\"l\")", anyCast}, {"bsopt_fv(A1)", anyCast},
      {"mtrx_partialPivLU(A1,\"p\")", blas + "mtrx_partialPivLU" + caseSensitive},
      {"mtrx_colPivHouseholderQr(A1,\"q\")", blas + "mtrx_colPivHouseholderQr" + caseSensitive},
      {"mtrx_fullPivHouseholderQr(A1,\"rq\")", blas + "mtrx_fullPivHouseholderQr" + caseSensitive},
      {"mtrx_cholesky(A1,\"lu\")",
       blas + "mtrx_cholesky::Invalid value for opt. Expected 'l' or 'u'. This option is case sensitive."},
      {"mtrx_ldlt(A1,\"x\")",
       blas + "mtrx_ldlt::Invalid value for opt. Expected 'l' , 'd' or 'u'. This option is case sensitive."},
      {"mtrx_ldlt(mtrx_create({5}),\"d\")", blas + "mtrx_ldlt:: Invalid input matrix"},
      // Input that the decompositions cannot take.
      {"mtrx_invert(A2)", blas + "mtrx_invert - Input matrix is not invertible"},
      {"mtrx_det(A3)", blas + "mtrx_det - Input matrix is not square"},
      {"mtrx_fullPivLU(mtrx_zero(2,0))", blas + "mtrx_fullPivLU - Input matrix is empty"},
      {"mtrx_colPivHouseholderQr(mtrx_zero(3,0),\"r\")", blas + "mtrx_colPivHouseholderQr - Input matrix has no columns"},
      {"mtrx_cholesky(A2,\"l\")", blas + "mtrx_cholesky - Input matrix is not positive definite"},
      {"mtrx_ldlt(mtrx_create({0,1;1,0}),\"l\")", blas + "mtrx_ldlt - Input matrix has no LDLT decomposition"},
      {"mtrx_eigenVectors(A3)", blas + "mtrx_eigenVectors - Input matrix must be square and not empty"},
  };
  for (const auto& f : failures) {
    EXPECT_TRUE(zrtest::isError(cell(std::string("=") + f.formula), xlerrValue)) << f.formula;
    EXPECT_EQ(errorOf(last), f.message) << f.formula;
  }
}

}  // namespace
