# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The C++ runtime and the threads library linked in, so a copied folder runs on a bare Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Debian has no Windows build of GoogleTest: the tests build it from its sources.
set(VAROK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross-built tests")
# The header-only libraries of the command line: the host's copies of just their folders (see
# cmake/HeaderLibraries.cmake), not the host's whole /usr/include.
set(VAROK_HEADER_LIBRARY_DIR /usr/include CACHE PATH "Where the nlohmann and CLI header folders are copied from")
