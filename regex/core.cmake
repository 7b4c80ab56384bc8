# The regex library, also wanted by the file-system family's listing by pattern.
if(NOT TARGET zr_regex_core)
  add_library(zr_regex_core STATIC ${PROJECT_SOURCE_DIR}/regex/regex.cpp)
  target_link_libraries(zr_regex_core PUBLIC Boost::regex)
  zr_addin_code(zr_regex_core)
endif()
