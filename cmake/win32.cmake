# Windows build (mingw-w64 i686): the installer, the real platform layer, its
# tests under Wine and the test tools.
