# Windows on i686 with MinGW-w64 (g++-mingw-w64-i686); its programs run under wine,
# quietly (WINEDEBUG=-all).
set(CALC_CROSS_SYSTEM Windows)
set(CALC_CROSS_PROCESSOR i686)
set(CALC_CROSS_TRIPLE i686-w64-mingw32)
set(CALC_CROSS_EMULATOR env WINEDEBUG=-all wine)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
