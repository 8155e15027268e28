# Included by the GCC toolchain files after they set triple and
# CMAKE_SYSTEM_PROCESSOR: the Windows build with Debian's MinGW-w64 GCC.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model gives GoogleTest std::mutex; it links statically too.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
