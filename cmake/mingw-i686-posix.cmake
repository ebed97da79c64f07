# The 32-bit toolchain with the posix-thread compilers, which GoogleTest
# needs (std::mutex) for the Windows-side tests.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
