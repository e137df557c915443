# Cross-compiling for 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686).
# The installer is 32-bit so that one executable runs on 32-bit Windows and,
# under WoW64, on 64-bit Windows.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(NIMBRA_MINGW_TRIPLET i686-w64-mingw32)
# The posix thread model gives std::mutex (GoogleTest needs it); -static links
# winpthread in, so the executables still import only system DLLs.
set(CMAKE_C_COMPILER ${NIMBRA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBRA_MINGW_TRIPLET}-g++-posix)
# The installer needs no thread of its own: the win32 thread model keeps
# winpthread (about 26 KB) out of it (cmake/installer.cmake).
set(NIMBRA_INSTALLER_CXX_COMPILER ${NIMBRA_MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER ${NIMBRA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NIMBRA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows test executables (and GoogleTest's discovery) under Wine.
# WINEPREFIX and a display come from the environment (scripts/wine-env.sh).
# Without Wine the executables still build; only ctest cannot run them.
find_program(NIMBRA_WINE wine)
if(NIMBRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIMBRA_WINE})
endif()
