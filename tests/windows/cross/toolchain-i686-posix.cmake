# The project's mingw-w64 i686 toolchain with the compilers of the POSIX thread model, which
# GoogleTest needs (std::mutex); the plug-in itself keeps to the default compilers.
include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/toolchain-mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
