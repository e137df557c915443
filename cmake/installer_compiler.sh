#!/bin/sh
# installer_compiler.sh COMPILER BUILD_COMPILER ARGUMENT...
#
# A compiler launcher (cmake/installer.cmake): CMake puts it before the
# compiler the build uses everywhere (BUILD_COMPILER, the posix thread-model
# g++ that GoogleTest needs), and it runs COMPILER with the same arguments
# instead. So the installer alone is compiled and linked by the win32
# thread-model g++, whose runtime needs no libwinpthread.
set -eu
compiler=$1
shift 2
exec "$compiler" "$@"
