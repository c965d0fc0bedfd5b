# Packages, made by CPack (`cmake --build <dir> --target package`), named
# CALC_PACKAGE_NAME (ravur-calc: Debian's archive has a `calc` of its own):
#   Linux:   ravur-calc_<version>_<arch>.deb and libravur-dev_<version>_<arch>.deb,
#            from the install components `calc` and `dev`, and
#            ravur-calc-<version>-Linux-<processor>.tar.gz of the whole
#            install tree, in a folder of the same name;
#   Windows: ravur-calc-<version>-win64.zip (or -win32.zip) of the component
#            `calc`, in a folder of the same name: calc.exe, LICENSE.txt,
#            NOTICES.txt, README.txt (doc/windows-readme.txt) and the manual
#            page as text, all text in CR LF.
# Packages are reproducible: their timestamps are SOURCE_DATE_EPOCH (from the
# environment, else the last commit's time), compressed files carry no name or
# time (gzip -n), and files are listed in sorted order (by CPack's Debian
# generator; tarballs and zips are packed again, cmake/repack_archive.cmake).

set(CALC_PACKAGE_CONTACT "calc packager <packager@example.invalid>" CACHE STRING
    "Maintainer of the Debian packages, as \"Name <address>\" (the default names no one)")

# The packages' time: SOURCE_DATE_EPOCH when set, else the last commit's.
set(CALC_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(CALC_SOURCE_DATE_EPOCH STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE CALC_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    if(NOT status EQUAL 0)
      set(CALC_SOURCE_DATE_EPOCH "")
    endif()
    # A new commit configures again, for the new time.
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --absolute-git-dir
                    OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(EXISTS "${git_dir}/logs/HEAD")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
    endif()
  endif()
endif()

set(CPACK_PACKAGE_NAME ${CALC_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "the calc authors")
set(CPACK_PACKAGE_CONTACT "${CALC_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Read by cpack (as its own CPACK_ variables): cmake/cpack_options.cmake.
set(CPACK_CALC_SOURCE_DATE_EPOCH "${CALC_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)
# Installed directories get the usual modes whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_CALC_DESCRIPTION "exact decimal calculator for the console
calc reads signed decimal numbers in pairs from standard input and, for
every pair, prints the exact sum, difference and product and the quotient
cut to 127 digits. All arithmetic is exact, with no rounding other than the
quotient's cut.
It installs the program as /usr/bin/calc, a name that Debian's calc
package (another calculator) uses too: the two packages conflict.")
set(CPACK_DEBIAN_DEV_DESCRIPTION "exact decimal arithmetic for C++ programs (static library)
ravur is the library of calc: exact signed decimal arithmetic on digit
arrays. This package holds its header, the static library libravur.a, a
CMake package (find_package(ravur), ravur::ravur) and pkg-config's ravur.pc.")

# Text a Windows user reads in Notepad: CR LF line ends, and the manual page
# rendered to plain text where there is no man.
function(calc_windows_text input output)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${output}
                     COMMAND ${CMAKE_COMMAND} -DIN=${input} -DOUT=${PROJECT_BINARY_DIR}/${output} ${ARGN}
                             -P ${PROJECT_SOURCE_DIR}/cmake/windows_text.cmake
                     DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/windows_text.cmake VERBATIM)
  set(calc_windows_texts ${calc_windows_texts} ${PROJECT_BINARY_DIR}/${output} PARENT_SCOPE)
  install(FILES ${PROJECT_BINARY_DIR}/${output} DESTINATION . COMPONENT calc)
endfunction()

# Archives made again in a reproducible form (cmake/repack_archive.cmake),
# where the tools for it are at hand.
find_program(CALC_GZIP gzip)
find_program(CALC_TAR tar)
find_program(CALC_TOUCH touch)
find_program(CALC_ZIP zip)
set(CPACK_CALC_GZIP ${CALC_GZIP})
set(CPACK_CALC_TAR ${CALC_TAR})
set(CPACK_CALC_TOUCH ${CALC_TOUCH})
set(CPACK_CALC_ZIP ${CALC_ZIP})
if(WIN32 AND CALC_ZIP AND CALC_TOUCH)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/repack_archive.cmake)
elseif(NOT WIN32 AND CALC_TAR AND CALC_GZIP)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/repack_archive.cmake)
else()
  message(STATUS "tar and gzip, or zip, not found: the package archives are not reproducible")
endif()

# The notices of other projects' code that calc takes in (CMakeLists.txt's
# CALC_EMBEDDED_ARCHIVES: libedit's chain, or MinGW's runtime): their licences
# (BSD, MIT, ISC, ZPL) ask that the notice go with every copy of the binary.
# Each archive's notice is the copyright file of the Debian package that ships
# it; configuring warns where none is found.
set(CALC_NOTICES "")
if(CALC_EMBEDDED_ARCHIVES)
  find_program(CALC_DPKG_QUERY dpkg-query)
  set(notices "calc contains code of the libraries below. Their copyright notices and\nlicences follow, as the Debian package of each states them.\n")
  set(noticed "")
  foreach(archive IN LISTS CALC_EMBEDDED_ARCHIVES)
    get_filename_component(real ${archive} REALPATH)
    set(package "")
    if(CALC_DPKG_QUERY)
      execute_process(COMMAND ${CALC_DPKG_QUERY} -S ${real} OUTPUT_VARIABLE owner
                      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      string(REGEX REPLACE "[:,].*" "" package "${owner}")
    endif()
    if(package STREQUAL "" OR NOT EXISTS /usr/share/doc/${package}/copyright)
      message(WARNING "no notice found for ${archive}: calc's packages do not carry its licence")
    elseif(NOT package IN_LIST noticed)
      list(APPEND noticed ${package})
      file(READ /usr/share/doc/${package}/copyright text)
      get_filename_component(name ${archive} NAME)
      string(APPEND notices "\n==== ${name}, from ${package} ====\n\n${text}")
    endif()
  endforeach()
  set(CALC_NOTICES ${PROJECT_BINARY_DIR}/NOTICES)
  file(WRITE ${CALC_NOTICES} "${notices}")
  if(NOT WIN32)
    install(FILES ${CALC_NOTICES} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CALC_PACKAGE_NAME} COMPONENT calc)
  endif()
endif()

if(WIN32)
  set(calc_windows_texts "")
  calc_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
  if(CALC_NOTICES)
    calc_windows_text(${CALC_NOTICES} NOTICES.txt)
  endif()
  calc_windows_text(${PROJECT_SOURCE_DIR}/doc/windows-readme.txt README.txt)
  find_program(CALC_GROFF_PROGRAM groff)
  if(CALC_GROFF_PROGRAM)
    calc_windows_text(${PROJECT_BINARY_DIR}/calc.1 calc.txt -DGROFF=${CALC_GROFF_PROGRAM})
  else()
    message(STATUS "groff not found: the Windows package has no manual page (calc.txt)")
  endif()
  add_custom_target(calc_windows_texts ALL DEPENDS ${calc_windows_texts})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME ${CALC_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME ${CALC_PACKAGE_NAME}-${PROJECT_VERSION}-win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  # One zip of the program's component alone, its files in one folder named
  # as the zip is, so that unpacking it anywhere adds that folder alone.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL calc)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

set(CPACK_PACKAGE_FILE_NAME ${CALC_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_GENERATOR TGZ)
# Debian packages of the build machine's own programs (a cross build makes the
# tarball only: its dependencies cannot be computed here).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT CMAKE_CROSSCOMPILING AND CALC_GZIP)
  list(APPEND CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_CALC_PACKAGE_NAME ${CALC_PACKAGE_NAME})
  # Debian's `calc` (another calculator) ships /usr/bin/calc and calc.1.gz too:
  # installing one package asks to remove the other, and as the names differ
  # no upgrade takes one for a newer version of the other. Debian policy asks
  # for Replaces only where one package takes the other's place (7.6.2), and
  # this one does not.
  set(CPACK_DEBIAN_CALC_PACKAGE_CONFLICTS calc)
  set(CPACK_DEBIAN_CALC_PACKAGE_SECTION math)
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME libravur-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # dpkg-shlibdeps names the shared libraries calc links (libc, and libedit's
  # chain when linked shared) in its Depends.
  find_program(CALC_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(CALC_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    message(WARNING "dpkg-shlibdeps not found (Debian's dpkg-dev): the calc package will name no dependencies")
  endif()

  # Debian's documentation files of each package: a copyright file in the
  # machine-readable format, from LICENSE, and a changelog, both of each
  # package's own; the manual page is compressed when packaging
  # (cmake/deb_compress.cmake).
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
  set(copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\nUpstream-Name: calc\n\nFiles: *\n")
  set(licence_text "")
  foreach(line IN LISTS licence_lines)
    if(line MATCHES "^Copyright \\(c\\) (.*)$")
      string(APPEND copyright "Copyright: ${CMAKE_MATCH_1}\nLicense: MIT\n")
    elseif(line STREQUAL "")
      string(APPEND licence_text " .\n")
    elseif(NOT line STREQUAL "MIT License")
      string(APPEND licence_text " ${line}\n")
    endif()
  endforeach()
  string(REGEX REPLACE "^ \\.\n( \\.\n)*" "" licence_text "${licence_text}")
  string(APPEND copyright "${licence_text}")
  file(WRITE ${PROJECT_BINARY_DIR}/deb/copyright "${copyright}")

  set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} "${CALC_SOURCE_DATE_EPOCH}")
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
  file(WRITE ${PROJECT_BINARY_DIR}/deb/changelog
       "${CALC_PACKAGE_NAME} (${PROJECT_VERSION}) unstable; urgency=medium\n\n  * ${CALC_PACKAGE_NAME} ${PROJECT_VERSION}.\n\n -- ${CALC_PACKAGE_CONTACT}  ${changelog_date}\n")
  execute_process(COMMAND ${CALC_GZIP} -9nc ${PROJECT_BINARY_DIR}/deb/changelog
                  OUTPUT_FILE ${PROJECT_BINARY_DIR}/deb/changelog.gz)

  foreach(package IN ITEMS ${CALC_PACKAGE_NAME} libravur-dev)
    if(package STREQUAL "${CALC_PACKAGE_NAME}")
      set(component calc)
    else()
      set(component dev)
    endif()
    install(FILES ${PROJECT_BINARY_DIR}/deb/copyright ${PROJECT_BINARY_DIR}/deb/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
    # lintian's tags each package is known to carry, with the reason for each.
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides/${package}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT ${component})
  endforeach()
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_compress.cmake)
endif()
include(CPack)
