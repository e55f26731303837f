# Shared part of the MinGW-w64 toolchain files; expects _taliq_mingw_triple.
set(CMAKE_C_COMPILER ${_taliq_mingw_triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${_taliq_mingw_triple}-g++-win32)
set(CMAKE_RC_COMPILER ${_taliq_mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_taliq_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLL beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Unicode Win32 API everywhere; the narrow calls are named explicitly (…A).
set(CMAKE_CXX_FLAGS_INIT "-DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX")
# -O2 rather than -O3: small dialog programs gain nothing from it, and GCC
# 12's -O3 raises false -Wrestrict alarms inside std::string.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of the Release build")
# The release programs carry no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s" CACHE STRING "Linker flags of the Release build")
