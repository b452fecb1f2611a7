# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads
# flavour, whose C++ library has std::thread and friends). Used by `make
# windows` for the game and by scripts/windows-deps.sh for SDL2 and GoogleTest.
#
# VOLTARO5_WINDOWS_DEPS: the folders the cross-built libraries were installed
# into (scripts/windows-deps.sh writes them into its cache file); packages and
# libraries are looked for there and in the mingw-w64 root only, never in the
# build machine's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

# try_compile() projects read this file again; hand them the folders too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VOLTARO5_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet} ${VOLTARO5_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
