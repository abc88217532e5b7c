# Cross-compiles the Windows program on Linux with clang for the MinGW-w64 target (x86-64): a
# second compiler over the same Windows headers, C++ library and runtime as
# cmake/mingw-w64-x86_64.cmake, linked by lld. Debian's clang does not find the MinGW-w64 g++'s
# C++ headers and libgcc by itself (their folder is named after the thread model), so they are
# named here; the posix model's C++ library needs winpthreads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES clang REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES llvm-windres PATHS /usr/lib/llvm-14/bin REQUIRED)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})

file(GLOB gcc_dirs /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
list(SORT gcc_dirs COMPARE NATURAL)
list(POP_BACK gcc_dirs gcc)
if(NOT gcc)
  message(FATAL_ERROR "no MinGW-w64 g++ (posix threads) under /usr/lib/gcc/${TOOLCHAIN_PREFIX}")
endif()
set(CMAKE_CXX_FLAGS_INIT "-isystem ${gcc}/include/c++ -isystem ${gcc}/include/c++/${TOOLCHAIN_PREFIX}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc} -lpthread")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
