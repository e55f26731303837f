# Cross build for 32-bit Windows with Debian's MinGW-w64 (the release).
# The -win32 thread model needs no winpthreads DLL: the programs have one
# thread, and everything is linked statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_taliq_mingw_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
