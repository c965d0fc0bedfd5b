# Linux on i686 with Debian's cross compiler (g++-i686-linux-gnu); its programs
# run under qemu-user with the cross compiler's root as their system root.
set(CALC_CROSS_SYSTEM Linux)
set(CALC_CROSS_PROCESSOR i686)
set(CALC_CROSS_TRIPLE i686-linux-gnu)
set(CALC_CROSS_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
