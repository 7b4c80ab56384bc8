# Cross-compiling for 32-bit Windows with Debian's mingw-w64 compilers.
# The posix thread-model variants are named explicitly: the plain names may
# point at the win32 variant, which has no std::mutex or std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZR_WIN_HOST i686-w64-mingw32)

set(CMAKE_C_COMPILER ${ZR_WIN_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZR_WIN_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${ZR_WIN_HOST}-windres)
set(CMAKE_AR ${ZR_WIN_HOST}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZR_WIN_HOST}-ranlib CACHE FILEPATH "")

# Dependencies built from Debian's source packages by scripts/windows.sh.
if(NOT ZR_WIN_SYSROOT)
  get_filename_component(ZR_WIN_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/../build-windows/sysroot" ABSOLUTE)
endif()
set(CMAKE_FIND_ROOT_PATH ${ZR_WIN_SYSROOT} /usr/${ZR_WIN_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "${ZR_WIN_SYSROOT}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Doubles round in SSE registers as on x86-64, not in the x87's wider ones.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# No compiler run-time DLLs beside the programs and the add-in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Programs run under wine, quietly, in a wine prefix of their own beside the
# sysroot, without the .NET and HTML components a new prefix would look for.
find_program(ZR_WINE wine)
if(ZR_WINE)
  get_filename_component(ZR_WINE_PREFIX "${ZR_WIN_SYSROOT}/../wine" ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all WINEPREFIX=${ZR_WINE_PREFIX}
      WINEDLLOVERRIDES=mscoree,mshtml= ${ZR_WINE})
endif()

# The project's own Windows settings, right after project(zr).
set(CMAKE_PROJECT_zr_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
