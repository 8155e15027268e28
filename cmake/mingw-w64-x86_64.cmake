# Cross toolchain for a 64-bit Windows build with Debian's MinGW-w64: the same
# sources as the 32-bit program, for running the Windows-side tests under a
# 64-bit Wine on machines that cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
