# source_yahoo_historical through the simulated host against http_get alone,
# on the same answer from a local server (the tests' copy of the add-in).
if(TARGET zr_ds_probe)
  zr_bench(datasource_bench datasource_bench.cpp)
  target_link_libraries(datasource_bench PRIVATE xlsim zr_datasource_core Threads::Threads)
  target_compile_definitions(datasource_bench PRIVATE ZR_DS_PROBE="$<TARGET_FILE:zr_ds_probe>")
  add_dependencies(datasource_bench zr_ds_probe)
endif()
