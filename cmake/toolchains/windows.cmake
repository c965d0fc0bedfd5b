# Windows with MinGW-w64 on CALC_CROSS_PROCESSOR (x86_64 or i686, set by the
# including file); its programs run under wine, quietly (WINEDEBUG=-all). The
# POSIX-threads variant of the compiler has the std::mutex GoogleTest needs;
# calc itself starts no thread.
set(CALC_CROSS_SYSTEM Windows)
set(CALC_CROSS_TRIPLE ${CALC_CROSS_PROCESSOR}-w64-mingw32)
set(CALC_CROSS_VARIANT -posix)
set(CALC_CROSS_EMULATOR env WINEDEBUG=-all wine)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
