# stat_cdf and stat_quantile through the frame and the dispatch, against
# the bare Boost call, for a normal and a non-central t distribution.
zr_bench(statistics_bench statistics_bench.cpp)
target_link_libraries(statistics_bench PRIVATE xlsim zr_statistics_core)
target_compile_definitions(statistics_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>")
add_dependencies(statistics_bench zr)
