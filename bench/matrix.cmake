# Matrix benchmarks: the product through the frame against OpenBLAS's dgemm,
# the peak memory of one product, and the cost of a small call.
find_library(ZR_OPENBLAS NAMES openblas PATHS /usr/lib/x86_64-linux-gnu/openblas-pthread)
if(ZR_OPENBLAS)
  zr_bench(matrix_bench matrix_bench.cpp)
  target_link_libraries(matrix_bench PRIVATE xlsim zr_matrix_core ${ZR_OPENBLAS})
  target_include_directories(matrix_bench PRIVATE /usr/include/x86_64-linux-gnu/openblas-pthread)
  target_compile_definitions(matrix_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>")
  add_dependencies(matrix_bench zr)
endif()
