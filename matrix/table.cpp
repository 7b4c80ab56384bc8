// The registration table of the category "ZR_BLAS", in load order.
#include "xll/categories.h"

using namespace xll;

const CategoryTable& zr::MatrixCategory() {
  static const CategoryTable table{
      "ZR_BLAS",
      "The BLAS library provides useful matrix algebra functions.",
      "The library uses Eigen on the back end which is already well established.To begin use "
      "the function mtrx_create to initialise a matrix object.",
      CategoryTable::DocumentationLast,
      {},
      {},
  };
  return table;
}
