# The matrix decompositions at n = 1000 against LAPACK (OpenBLAS) on the
# same data, as ratios.
pkg_check_modules(ZR_LAPACKE QUIET IMPORTED_TARGET lapacke openblas)
if(ZR_LAPACKE_FOUND)
  zr_bench(matrix_decomp_bench matrix_decomp_bench.cpp)
  target_link_libraries(matrix_decomp_bench PRIVATE zr_matrix_core PkgConfig::ZR_LAPACKE)
else()
  message(STATUS "lapacke and openblas not found: matrix_decomp_bench left out")
endif()
