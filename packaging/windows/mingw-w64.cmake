# Cross-builds for 64-bit Windows with Debian's mingw-w64 (posix threads, the flavour the
# SDK from scripts/windows-sdk.sh was built with). Use it with
#   -DCMAKE_TOOLCHAIN_FILE=this -DCMAKE_PREFIX_PATH=$sdk -DQT_HOST_PATH=/usr
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Headers, libraries and CMake packages come only from the mingw-w64 sysroot and the
# prefixes named on the command line (the SDK), never from the build machine's /usr,
# where a Linux Qt or SQLite would be found first and fail only at link time.
# Programs (moc, rcc, sqlite3 for the template) are the build machine's own.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${triple} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
