# Settings of the Windows build, included right after project() by the
# toolchain file mingw-i686.cmake (CMAKE_PROJECT_zr_INCLUDE).

# The add-in, the host, XLCALL32.DLL and the test programs side by side, so
# that each program finds the DLLs it imports.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(Boost_USE_STATIC_LIBS ON)
set(Boost_USE_STATIC_RUNTIME ON)
# Eigen is headers only: Debian's libeigen3-dev serves both builds.
set(Eigen3_DIR /usr/share/eigen3/cmake CACHE PATH "" FORCE)
# Test folders that run under wine: not the stand-in's own tests (platform),
# nor those built around ELF test add-ins, fork or POSIX sockets (host, xll,
# datasource).
set(ZR_TEST_DIRS "pool;analytics;calendar;matrix;statistics;sql;filesystem;regex" CACHE STRING
  "Test folders to build")

# Boost 1.74 turns thread_local off for 32-bit MinGW on purpose, which
# Boost.Math mistakes for a pre-C++11 compiler and says so at every include.
add_compile_definitions(BOOST_MATH_DISABLE_DEPRECATED_03_WARNING)

# A stdcall symbol never stands in for a cdecl one or the other way round.
add_link_options(-Wl,--disable-stdcall-fixup)

# The host's wide call-back entry, exported by the programs that host the
# add-in, keeps its undecorated name.
add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-Wl,--kill-at>)

# Once every target exists: zr.xll exports through zr.def, which lists the
# procedures that the records register, each with the argument bytes of its
# registered type text, under the C names their XLL_PROC lines give.
function(zr_windows_exports)
  # The test programs get the POSIX calls they make.
  set(dirs)
  if(BUILD_TESTING)
    set(dirs ${PROJECT_SOURCE_DIR}/tests)
  endif()
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${targets})
      get_target_property(type ${t} TYPE)
      if(type STREQUAL "EXECUTABLE")
        target_compile_options(${t} PRIVATE -include ${PROJECT_SOURCE_DIR}/platform/win32/posix/zr_posix.h)
      endif()
    endforeach()
  endwhile()
  # Boost.Filesystem draws random names from bcrypt.
  if(TARGET Boost::filesystem)
    set_property(TARGET Boost::filesystem APPEND PROPERTY INTERFACE_LINK_LIBRARIES bcrypt)
  endif()
  # Programs that drive the simulated host with POSIX resources stay on Linux.
  get_property(subdirs DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  if(${PROJECT_SOURCE_DIR}/fuzz IN_LIST subdirs)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR}/fuzz PROPERTY EXCLUDE_FROM_ALL TRUE)
  endif()
  # Boost.Asio on Windows sockets.
  if(TARGET zr_datasource_core)
    target_link_libraries(zr_datasource_core INTERFACE ws2_32 mswsock)
  endif()
  get_property(objects GLOBAL PROPERTY ZR_ADDIN_OBJECTS)
  set(sources)
  foreach(obj ${objects})
    get_target_property(dir ${obj} SOURCE_DIR)
    get_target_property(srcs ${obj} SOURCES)
    foreach(s ${srcs})
      if(NOT IS_ABSOLUTE ${s})
        set(s ${dir}/${s})
      endif()
      list(APPEND sources ${s})
    endforeach()
  endforeach()
  # What a user copies carries no debug sections: they go to zr.xll.debug and
  # xlhost.exe.debug beside them, found by gdb through .gnu_debuglink.
  set_property(TARGET zr xlhost PROPERTY RULE_LAUNCH_LINK
    "${PROJECT_SOURCE_DIR}/cmake/split_debug.sh ${CMAKE_OBJCOPY}")
  add_executable(zr_exports ${PROJECT_SOURCE_DIR}/tools/export_list.cpp)
  target_link_libraries(zr_exports PRIVATE ${objects} xlplatform)
  set(def ${CMAKE_BINARY_DIR}/zr.def)
  string(REPLACE ";" "|" emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  string(REPLACE ";" "|" source_list "${sources}")
  add_custom_command(OUTPUT ${def}
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${emulator}" -DLISTER=$<TARGET_FILE:zr_exports>
            "-DSOURCES=${source_list}" -DOUT=${def} -P ${PROJECT_SOURCE_DIR}/cmake/zr_def.cmake
    DEPENDS zr_exports ${sources} ${PROJECT_SOURCE_DIR}/cmake/zr_def.cmake
    COMMENT "Writing zr.def from the registration records" VERBATIM)
  add_custom_target(zr_def DEPENDS ${def})
  target_sources(zr PRIVATE ${def})
  add_dependencies(zr zr_def)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zr_windows_exports)
