# SQL tables: a large load and a grouped query against the sqlite3 shell.
zr_bench(sql_bench sql_bench.cpp)
target_link_libraries(sql_bench PRIVATE xlsim zr_sql_core)
target_compile_definitions(sql_bench PRIVATE ZR_XLL="$<TARGET_FILE:zr>")
add_dependencies(sql_bench zr)
