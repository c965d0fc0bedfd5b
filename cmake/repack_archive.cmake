# Run by cpack after it made a tarball or a zip, which it fills in the order
# the file system lists the files: the archive is made again from the same
# files in sorted order, each stamped SOURCE_DATE_EPOCH, owned by root (tar),
# without the compressor's own name and time (gzip -n) or extra attributes
# (zip -X), so that two builds of one commit give the same bytes.
if(NOT CPACK_GENERATOR MATCHES "^(TGZ|ZIP)$")
  return()
endif()
set(epoch "${CPACK_CALC_SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  message(WARNING "no SOURCE_DATE_EPOCH nor git history: the archives are stamped with today's time")
  string(TIMESTAMP epoch "%s" UTC)
endif()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status WORKING_DIRECTORY ${work})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status})")
  endif()
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(work ${CPACK_TOPLEVEL_DIRECTORY}/repack)
  set(list ${CPACK_TOPLEVEL_DIRECTORY}/repack.list)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work})
  run("unpacking ${package}" ${CMAKE_COMMAND} -E tar xf ${package})
  file(GLOB_RECURSE files RELATIVE ${work} ${work}/*)
  list(SORT files)
  list(JOIN files "\n" lines)
  file(WRITE ${list} "${lines}\n")
  file(REMOVE ${package})
  if(CPACK_GENERATOR STREQUAL "TGZ")
    execute_process(COMMAND ${CPACK_CALC_TAR} --create --format=gnu --owner=0 --group=0 --numeric-owner
                            --mode=go-w --mtime=@${epoch} --files-from=${list} --file=-
                    COMMAND ${CPACK_CALC_GZIP} -9n
                    OUTPUT_FILE ${package} RESULTS_VARIABLE statuses WORKING_DIRECTORY ${work})
    if(NOT statuses STREQUAL "0;0")
      message(FATAL_ERROR "packing ${package} again failed (${statuses})")
    endif()
  else()
    list(TRANSFORM files PREPEND ${work}/)
    run("stamping the files of ${package}" ${CPACK_CALC_TOUCH} -d @${epoch} ${files})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${CPACK_CALC_ZIP} -X -D -q -9 ${package} -@
                    INPUT_FILE ${list} RESULT_VARIABLE status WORKING_DIRECTORY ${work})
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "packing ${package} again failed (${status})")
    endif()
  endif()
endforeach()
