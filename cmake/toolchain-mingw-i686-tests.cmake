# Cross build for 32-bit Windows with the tests: the Wine test program of the 32-bit lane.
# The -posix compilers, which GoogleTest needs (std::mutex); the release program stays the
# -win32 build of toolchain-mingw-i686.cmake, and the lane runs that file, not this build's.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
