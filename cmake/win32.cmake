# Windows build (mingw-w64 i686): the real platform layer, the installer, the
# test tools, and the tests that run under Wine. The same for x86-64 is the
# benchmark's twin (cmake/mingw-x86_64.cmake), whose folder holds no tests: a
# 64-bit stand-in for the installer is timed, never checked.

if(NOT NIMBRA_TWIN)
  enable_testing()
endif()
include(${PROJECT_SOURCE_DIR}/cmake/gtest_suites.cmake)

# GoogleTest from Debian's sources, built with the same toolchain. The posix
# thread-model compilers give it std::mutex; -static links winpthread in.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Everything for Windows is linked statically, so that it imports only system DLLs.
add_link_options(-static -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat)

# The platform layer imports kernel32 and advapi32 only: user32 and shell32
# (and gdi32 with them) are loaded from System32 when first needed
# (src/platform/win32/system_library.h), so a silent run loads no GUI library.
file(GLOB win32_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(nimbra_win32 STATIC ${win32_sources})
target_include_directories(nimbra_win32 PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(nimbra_win32 PUBLIC nimbra_platform advapi32)

include(${PROJECT_SOURCE_DIR}/cmake/installer.cmake)

foreach(dir tests/support/tools tests/win32 tests/e2e bench/win32 bench/e2e)
  add_subdirectory(${dir})
endforeach()
