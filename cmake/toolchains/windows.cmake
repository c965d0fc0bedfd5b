# Windows with MinGW-w64 on CALC_CROSS_PROCESSOR (x86_64 or i686, set by the
# including file); its programs run under wine, quietly (WINEDEBUG=-all). The
# POSIX-threads variant of the compiler has the std::mutex GoogleTest needs;
# calc itself starts no thread.
#
# A 64-bit program goes to wine's 64-bit loader itself where there is one
# (wine64, which Debian keeps in /usr/lib/wine), as the name of the loader
# for the programs it starts too: Debian's `wine` starts the 32-bit loader
# first, and a machine whose kernel runs no 32-bit x86 program cannot execute
# that one.
set(CALC_CROSS_SYSTEM Windows)
set(CALC_CROSS_TRIPLE ${CALC_CROSS_PROCESSOR}-w64-mingw32)
set(CALC_CROSS_VARIANT -posix)
if(CALC_CROSS_PROCESSOR STREQUAL "x86_64")
  find_program(CALC_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
endif()
if(CALC_WINE64)
  set(CALC_CROSS_EMULATOR env WINEDEBUG=-all WINELOADER=${CALC_WINE64} ${CALC_WINE64})
else()
  set(CALC_CROSS_EMULATOR env WINEDEBUG=-all wine)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
