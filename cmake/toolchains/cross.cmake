# What every cross toolchain file here shares. The including file sets
# CALC_CROSS_SYSTEM (CMAKE_SYSTEM_NAME), CALC_CROSS_PROCESSOR, CALC_CROSS_TRIPLE
# (the prefix of Debian's cross compilers, and their root under /usr) and
# CALC_CROSS_EMULATOR (the command that runs the target's programs here), and
# may set CALC_CROSS_VARIANT, the suffix of the compiler variant to use.
#
# Libraries, headers and packages are looked for only in the target's root,
# so a cross build never picks up the build machine's.
set(CMAKE_SYSTEM_NAME ${CALC_CROSS_SYSTEM})
set(CMAKE_SYSTEM_PROCESSOR ${CALC_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${CALC_CROSS_TRIPLE}-gcc${CALC_CROSS_VARIANT})
set(CMAKE_CXX_COMPILER ${CALC_CROSS_TRIPLE}-g++${CALC_CROSS_VARIANT})
set(CMAKE_FIND_ROOT_PATH /usr/${CALC_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CALC_CROSS_EMULATOR})
