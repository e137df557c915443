# What the two mingw-w64 toolchains share (cmake/mingw-i686.cmake, the
# installer's, and cmake/mingw-x86_64.cmake, its benchmark twin's), for the
# NIMBRA_MINGW_TRIPLET that they set first.

set(CMAKE_SYSTEM_NAME Windows)

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
