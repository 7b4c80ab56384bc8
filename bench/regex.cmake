# regex_search and regex_replace per cell, through xlhost and in this process,
# against perl per line.
zr_bench(regex_bench regex_bench.cpp)
target_link_libraries(regex_bench PRIVATE xlsim zr_regex_core)
target_compile_definitions(regex_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>" XLHOST="$<TARGET_FILE:xlhost>"
                           PERL_REFERENCE="${CMAKE_CURRENT_SOURCE_DIR}/regex_reference.pl")
add_dependencies(regex_bench zr xlhost)
