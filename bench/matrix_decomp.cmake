# The matrix decompositions at n = 800, through the simulated host and the
# library alone, against LAPACK (OpenBLAS) on the same data, as ratios.
pkg_check_modules(ZR_LAPACKE QUIET IMPORTED_TARGET lapacke openblas)
if(ZR_LAPACKE_FOUND)
  zr_bench(matrix_decomp_bench matrix_decomp_bench.cpp)
  target_link_libraries(matrix_decomp_bench PRIVATE xlsim zr_matrix_core PkgConfig::ZR_LAPACKE)
  target_compile_definitions(matrix_decomp_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>")
  add_dependencies(matrix_decomp_bench zr)
else()
  message(STATUS "lapacke and openblas not found: matrix_decomp_bench left out")
endif()
