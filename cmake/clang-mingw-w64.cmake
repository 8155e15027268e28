# Included by the clang toolchain files after they set triple and
# CMAKE_SYSTEM_PROCESSOR: the Windows build with clang instead of GCC, on the
# same MinGW-w64 headers and import libraries, GCC's libstdc++ (posix thread
# model, as in the GCC build), binutils' linker and windres.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
# The import check reads the program with binutils' objdump for the target.
set(CMAKE_OBJDUMP /usr/bin/${triple}-objdump)
set(CMAKE_SYSROOT /usr/${triple})

# clang does not find Debian's MinGW GCC runtime by itself: ask GCC where it is.
execute_process(COMMAND ${triple}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${libgcc}")
  message(FATAL_ERROR "${triple}-g++-posix is needed for its libstdc++")
endif()
get_filename_component(gcc_dir "${libgcc}" DIRECTORY)
set(cxx_includes "-stdlib++-isystem ${gcc_dir}/include/c++ -stdlib++-isystem ${gcc_dir}/include/c++/${triple} -stdlib++-isystem ${gcc_dir}/include/c++/backward")
set(CMAKE_CXX_FLAGS_INIT "${cxx_includes}")
# libstdc++ and libgcc_eh of the posix model need winpthreads, inside the
# driver's group of runtime libraries. -B makes the driver link GCC's
# crtbegin.o and crtend.o instead of MinGW's empty stand-ins: GCC's register
# the DWARF unwind tables of a 32-bit program at start-up, without which its
# first throw ends it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "--ld-path=/usr/bin/${triple}-ld -L${gcc_dir} -B${gcc_dir} -pthread")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
