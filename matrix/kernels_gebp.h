// Eigen's matrix-product kernel for the 32-bit copies (included by
// kernels.cpp after <Eigen/Core>, with Eigen renamed).
//
// Eigen computes a product in tiles of mr rows (2 packets; 3 with FMA) by 4
// columns, their 8 or 12 sums held in registers: it assumes 16 registers with
// FMA, and takes 16 for the baseline copy from kernels.cpp, so that its
// blocking and with it every sum are those of the 64-bit copy. The 32-bit
// mode has 8, and the sums would spill. Here each tile is computed in two
// passes of two columns: 4 or 6 sums, 2 broadcast values, the packed rows
// read from memory by the multiplications themselves. Each sum is Eigen's own
// (its multiply-add per step in the order of depth, then one with alpha), so
// the results are those of the 64-bit copy bit for bit. What the tiles leave
// (the last rows and columns) is Eigen's own code.
#pragma once

#if EIGEN_ARCH_i386

namespace Eigen {
namespace internal {

using ZrGebpMapper = blas_data_mapper<double, Index, ColMajor, Unaligned, 1>;
using ZrGebpTraits = gebp_traits<double, double>;
static_assert(ZrGebpTraits::mr % ZrGebpTraits::LhsProgress == 0 && ZrGebpTraits::nr == 4, "Eigen's tile");

// Eigen's kernel under another name: conjugation does nothing to real numbers
// (pconj of a real packet is the packet), so it runs the same operations.
using ZrGebpEigen = gebp_kernel<double, double, Index, ZrGebpMapper, ZrGebpTraits::mr, ZrGebpTraits::nr, true, false>;

// res(i.., j..) += alpha a b for one mr x 4 tile: a packed as mr values per
// step of depth, b as 4 values per step.
inline void zrGebpTile(const ZrGebpMapper& res, const double* a, const double* b, Index depth, double alpha, Index i,
                       Index j) {
  typedef ZrGebpTraits::LhsPacket P;
  enum { size = ZrGebpTraits::LhsProgress, packets = ZrGebpTraits::mr / size };
  ZrGebpTraits traits;
  const P alphas = pset1<P>(alpha);
  for (Index c = 0; c < 4; c += 2) {
    P sums[2][packets], t;
    for (int col = 0; col < 2; ++col)
      for (int p = 0; p < packets; ++p) traits.initAcc(sums[col][p]);
    const double* pa = a;
    const double* pb = b + c;
    for (Index k = 0; k < depth; ++k, pa += ZrGebpTraits::mr, pb += 4)
      for (int col = 0; col < 2; ++col) {
        P bk = pset1<P>(pb[col]);
        for (int p = 0; p < packets; ++p) traits.madd(pload<P>(pa + p * size), bk, sums[col][p], t, fix<0>);
      }
    for (int col = 0; col < 2; ++col) {
      const ZrGebpMapper::LinearMapper r = res.getLinearMapper(i, j + c + col);
      for (int p = 0; p < packets; ++p) {
        P sum = r.template loadPacket<P>(p * size);
        traits.acc(sums[col][p], alphas, sum);
        r.storePacket(p * size, sum);
      }
    }
  }
}

template <>
EIGEN_DONT_INLINE void
gebp_kernel<double, double, Index, ZrGebpMapper, ZrGebpTraits::mr, ZrGebpTraits::nr, false, false>::operator()(
    const ZrGebpMapper& res, const double* blockA, const double* blockB, Index rows, Index depth, Index cols,
    double alpha, Index strideA, Index strideB, Index offsetA, Index offsetB) {
  if (strideA == -1) strideA = depth;
  if (strideB == -1) strideB = depth;
  const Index tileRows = ZrGebpTraits::mr, tiledRows = rows / tileRows * tileRows, tiledCols = cols / 4 * 4;
  for (Index j = 0; j < tiledCols; j += 4)
    for (Index i = 0; i < tiledRows; i += tileRows)
      zrGebpTile(res, blockA + i * strideA + offsetA * tileRows, blockB + j * strideB + offsetB * 4, depth, alpha, i,
                 j);
  ZrGebpEigen eigen;
  if (tiledCols < cols)
    eigen(res.getSubMapper(0, tiledCols), blockA, blockB + tiledCols * strideB, tiledRows, depth, cols - tiledCols,
          alpha, strideA, strideB, offsetA, offsetB);
  if (tiledRows < rows)
    eigen(res.getSubMapper(tiledRows, 0), blockA + tiledRows * strideA, blockB, rows - tiledRows, depth, cols, alpha,
          strideA, strideB, offsetA, offsetB);
}

}  // namespace internal
}  // namespace Eigen

#endif
