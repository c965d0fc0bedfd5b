# Windows on x86_64 with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix), run under wine.
set(CALC_CROSS_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
