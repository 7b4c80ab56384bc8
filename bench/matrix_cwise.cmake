# Coefficient-wise operations on 1000 x 1000 matrices against numpy, and
# row/block reads against a copy of the operand.
zr_bench(matrix_cwise_bench matrix_cwise_bench.cpp)
target_link_libraries(matrix_cwise_bench PRIVATE xlsim zr_matrix_core)
target_compile_definitions(matrix_cwise_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>")
add_dependencies(matrix_cwise_bench zr)
