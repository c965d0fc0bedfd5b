# Windows on i686 with MinGW-w64 (Debian's g++-mingw-w64-i686-posix), run under wine.
set(CALC_CROSS_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
