# The Windows tests' compilers: MinGW-w64 i686 with the posix thread model, which GoogleTest needs.
# The program keeps the win32 thread model (mingw-i686.cmake); the two runtimes differ, so nothing
# built with one is linked into an executable built with the other.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
