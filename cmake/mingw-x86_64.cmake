# The benchmark's twin (preset "twin"): the win32 build's sources and flags
# for 64-bit Windows (Debian's g++-mingw-w64-x86-64). Where the 32-bit
# installer runs under qemu-i386, its times say little about the program;
# 64-bit Wine runs the twin natively, so bench/e2e/run_bench.py takes its
# goals from the twin. Nothing else runs it: the installer is the 32-bit one,
# and the twin's folder holds no tests (cmake/win32.cmake).

set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(NIMBRA_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(NIMBRA_TWIN ON)

# 64-bit Wine's own loader: /usr/bin/wine starts the 32-bit one first (under
# qemu-i386, slowly), which then hands a 64-bit program over.
find_program(NIMBRA_WINE wine64 PATHS /usr/lib/wine)
if(NIMBRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIMBRA_WINE})
endif()
