# The project's mingw-w64 x86_64 toolchain with the compilers of the POSIX thread model, which
# GoogleTest needs (std::mutex); the plug-in itself keeps to the default compilers.
include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/toolchain-mingw-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
