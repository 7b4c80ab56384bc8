# regex_search and regex_replace through the simulated host, against Boost.
zr_bench(regex_bench regex_bench.cpp)
target_link_libraries(regex_bench PRIVATE xlsim zr_regex_core)
target_compile_definitions(regex_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>")
add_dependencies(regex_bench zr)
