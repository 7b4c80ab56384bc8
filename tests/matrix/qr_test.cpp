// Householder QR decompositions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "matrix/qr.h"

namespace {

using ZR::Matrix;

Matrix T() {
  Matrix t(5, 3);
  t << 2.0, -1.0, 0.5, 1.0, 3.0, -2.0, -4.0, 0.5, 1.0, 0.0, 2.0, 6.0, 1.5, -3.0, 2.5;
  return t;
}

TEST(QR, PackedMatchesLapack) {
  // scipy.linalg.qr(mode='raw') (LAPACK dgeqrf; dgeqp3 with pivoting=True),
  // tools/matrix/decomp_reference.py. Same packed layout and reflector signs.
  Matrix dgeqrf(5, 3), dgeqp3(5, 3), wideDgeqrf(3, 5), wideDgeqp3(3, 5);
  dgeqrf << -4.8218253804964775, 1.1406468642034682, 0.25923792368260634, 0.14658833145436248,
      -4.684967954125492, 0.3832894786718719, -0.5863533258174499, -0.09441153850121375,
      -6.876473287555489, 0.0, 0.25003869954650204, 0.8479243040004488, 0.21988249718154373,
      -0.31621259429931337, 0.215972398868847;
  dgeqp3 << -6.892024376045111, 0.1813690625275033, 0.2176428750330035, -0.27056187835111584,
      -4.818413147827601, 1.1496468887704285, 0.13528093917555792, -0.6728546732349551,
      -4.677707088957991, 0.8116856350533475, -0.2339219891826853, 0.5253271140275835,
      0.3382023479388948, 0.14023288264640474, -0.44008300584666094;
  wideDgeqrf << -2.29128784747792, 0.8728715609439698, 3.491486243775877, -0.4364357804719848,
      -3.16415940842189, -0.23303027798233603, -3.638419332360584, 2.0744225330185344,
      1.5443650403544922, 2.676463141970286, 0.11651513899116801, -0.3021594271359728,
      0.8696522086608975, 6.117553467821486, 0.569772136708864;
  wideDgeqp3 << -6.324555320336759, -1.1067971810589325, -1.4230249470757705, -0.158113883008419,
      0.9486832980505138, 0.31622776601683794, -4.003123780249619, 1.6424673232537437,
      2.042155188988495, 0.8618269604905575, 0.9486832980505138, 0.6911607805789478,
      3.5745350875384734, 1.0269382571933736, -3.5152886496234714;
  EXPECT_TRUE(ZR::householderQr(T()).isApprox(dgeqrf, 1e-14));
  EXPECT_TRUE(ZR::colPivHouseholderQr(T()).isApprox(dgeqp3, 1e-14));
  EXPECT_TRUE(ZR::householderQr(T().transpose()).isApprox(wideDgeqrf, 1e-14));
  EXPECT_TRUE(ZR::colPivHouseholderQr(T().transpose()).isApprox(wideDgeqp3, 1e-14));
}

TEST(QR, FullPivotQTimesRIsAWithColumnsPermuted) {
  for (const Matrix& a : {T(), Matrix(T().transpose())}) {
    const Matrix q = ZR::fullPivHouseholderQr(a, ZR::QRFactor::Q);
    const Matrix r = ZR::fullPivHouseholderQr(a, ZR::QRFactor::R);
    ASSERT_EQ(q.rows(), a.rows());
    ASSERT_EQ(q.cols(), a.rows());
    EXPECT_TRUE((q.transpose() * q).isIdentity(1e-14));
    EXPECT_TRUE(r.isUpperTriangular(0));
    EXPECT_EQ(r, Matrix(ZR::fullPivHouseholderQr(a, ZR::QRFactor::Packed).triangularView<Eigen::Upper>()));
    // Each column of Q R is a column of A, each used once.
    const Matrix qr = q * r;
    std::vector<bool> used(a.cols());
    for (Eigen::Index j = 0; j < a.cols(); ++j)
      for (Eigen::Index k = 0; k < a.cols(); ++k)
        if (!used[k] && qr.col(j).isApprox(a.col(k), 1e-13)) {
          used[k] = true;
          break;
        }
    EXPECT_EQ(std::count(used.begin(), used.end(), true), a.cols());
  }
}

TEST(QR, EmptyShapes) {
  EXPECT_EQ(ZR::householderQr(Matrix(0, 3)).cols(), 3);
  EXPECT_EQ(ZR::colPivHouseholderQr(Matrix(0, 3)).cols(), 3);
  EXPECT_EQ(ZR::fullPivHouseholderQr(Matrix(4, 0), ZR::QRFactor::Q).rows(), 4);
  EXPECT_THROW(ZR::colPivHouseholderQr(Matrix(4, 0)), std::string);
  EXPECT_THROW(ZR::colPivHouseholderQr(Matrix(0, 0)), std::string);
}

}  // namespace
