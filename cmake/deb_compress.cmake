# Run by cpack on the staged files before it packs them: a Debian package's
# manual pages are compressed, without name or time (gzip -9n).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
file(GLOB_RECURSE staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
list(FILTER staged INCLUDE REGEX "/share/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(page IN LISTS staged)
  execute_process(COMMAND ${CPACK_CALC_GZIP} -9nf ${page} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed (${status})")
  endif()
endforeach()
