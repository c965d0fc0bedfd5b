# Linux on s390x with Debian's cross compiler (g++-s390x-linux-gnu); its programs
# run under qemu-user with the cross compiler's root as their system root.
set(CALC_CROSS_SYSTEM Linux)
set(CALC_CROSS_PROCESSOR s390x)
set(CALC_CROSS_TRIPLE s390x-linux-gnu)
set(CALC_CROSS_EMULATOR qemu-s390x -L /usr/s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
