# The matrix work at n = 800 through the xlhost program of each build (the
# Windows build's under wine, when build-windows holds it) against numpy and
# scipy, as processor time.
zr_bench(matrix_sheet_bench matrix_sheet_bench.cpp)
target_compile_definitions(matrix_sheet_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>" XLHOST="$<TARGET_FILE:xlhost>"
                           ZR_WINDOWS_BUILD="${PROJECT_SOURCE_DIR}/build-windows")
add_dependencies(matrix_sheet_bench zr xlhost)
