# cpack reads this for each generator, after CPackConfig.cmake.
# Every timestamp in a package is the one of the sources (the last commit's).
if(NOT CPACK_CALC_SOURCE_DATE_EPOCH STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_CALC_SOURCE_DATE_EPOCH}")
endif()
# The Debian packages are the program and the library; the plain LICENSE of
# an install tree is in each one's copyright file instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL calc dev)
  # Each package's description begins with its own summary line.
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
