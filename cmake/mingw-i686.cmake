# Cross-compiling for 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686).
# The installer is 32-bit so that one executable runs on 32-bit Windows and,
# under WoW64, on 64-bit Windows.

set(CMAKE_SYSTEM_PROCESSOR x86)
set(NIMBRA_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# ctest runs the Windows test executables (and GoogleTest's discovery) under Wine.
# WINEPREFIX and a display come from the environment (scripts/wine-env.sh).
# Without Wine the executables still build; only ctest cannot run them.
find_program(NIMBRA_WINE wine)
if(NIMBRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIMBRA_WINE})
endif()
