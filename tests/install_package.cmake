# Installs the build into a fresh prefix, checks what lands there, and builds and
# runs small C++ programs against the installed library, each both through the
# CMake package (find_package(ravur), ravur::ravur) and with pkg-config's flags:
# one that has global names of its own that the library also uses, the
# README's example and the library guide's, each of which must print what its
# text says it prints.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -DCXX=... -DBUILD_TYPE=...
#         -P install_package.cmake
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})

function(run_or_fail what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

run_or_fail("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB archive ${prefix}/lib*/libravur.a)
file(GLOB package ${prefix}/lib*/cmake/ravur/ravurConfig.cmake)
file(GLOB pc ${prefix}/lib*/pkgconfig/ravur.pc)
foreach(path bin/calc share/man/man1/calc.1 include/ravur.h include/ravur_numeral.h share/doc/ravur-calc/LICENSE)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
if(NOT archive OR NOT package OR NOT pc)
  message(FATAL_ERROR "not installed: the static library (${archive}), the CMake package (${package}) or ravur.pc (${pc})")
endif()

run_or_fail("installed calc --version" ${prefix}/bin/calc --version)
if(NOT output STREQUAL "calc ${VERSION}\n")
  message(FATAL_ERROR "installed calc --version printed '${output}'")
endif()

# The documents' examples and what they print: the fenced blocks after the
# marker lines. readme_block reads them from the file given (README.md, or a guide
# under doc/), relative to the sources.
function(readme_block file marker fence var)
  file(READ ${SOURCE_DIR}/${file} readme)
  string(FIND "${readme}" "<!-- ${marker}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${file} has no '<!-- ${marker}' line")
  endif()
  string(SUBSTRING "${readme}" ${at} -1 rest)
  string(FIND "${rest}" "\n${fence}\n" open)
  if(open EQUAL -1)
    message(FATAL_ERROR "${file}: no ${fence} block after '<!-- ${marker}'")
  endif()
  string(LENGTH "\n${fence}\n" skip)
  math(EXPR open "${open} + ${skip}")
  string(SUBSTRING "${rest}" ${open} -1 rest)
  string(FIND "${rest}" "```\n" close)
  string(SUBSTRING "${rest}" 0 ${close} block)
  set(${var} "${block}" PARENT_SCOPE)
endfunction()
readme_block(README.md "example.cpp:" "```cpp" example_source)
readme_block(README.md "example.cpp prints" "```" example_output)
readme_block(doc/library.md "numerals.cpp:" "```cpp" numerals_source)
readme_block(doc/library.md "numerals.cpp prints" "```" numerals_output)

set(app ${WORK_DIR}/app)
file(WRITE ${app}/example.cpp "${example_source}")
file(WRITE ${app}/numerals.cpp "${numerals_source}")
file(WRITE ${app}/own_names.cpp [=[
#include <cstdio>

#include <ravur.h>

// Names of the program's own that the library uses too, inside its namespace.
struct Result {
  const char* text;
};
bool IsZero(const Result& result) { return result.text[0] == '0' && result.text[1] == '\0'; }
constexpr int kQuotientDigits = 3;

int main() {
  const ravur::DxOperation operations[] = {ravur::DxAdd, ravur::DxSubtract, ravur::DxMultiply, ravur::DxDivide};
  for (const ravur::DxOperation operation : operations) {
    const Result result = {ravur::Result("1.5", "-1.5", operation)};
    std::printf("%s %d\n", result.text, IsZero(result));
  }
  std::printf("%d %d\n", kQuotientDigits, static_cast<int>(ravur::kQuotientDigits));
}
]=])
set(own_names_output "0 1\n3 0\n-2.25 0\n-1 0\n3 127\n")
file(WRITE ${app}/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.16)
project(app LANGUAGES CXX)
find_package(ravur 2.0 REQUIRED)
foreach(program own_names example numerals)
  add_executable(${program} ${program}.cpp)
  target_link_libraries(${program} PRIVATE ravur::ravur)
endforeach()
]=])

run_or_fail("configuring against the package" ${CMAKE_COMMAND} -S ${app} -B ${app}/build
            -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
run_or_fail("building against the package" ${CMAKE_COMMAND} --build ${app}/build)

# pkg-config finds ravur.pc in the prefix, ahead of any installed elsewhere.
find_program(pkg_config NAMES pkg-config pkgconf)
if(NOT pkg_config)
  message(FATAL_ERROR "pkg-config is needed to check ravur.pc (bash .ci/install-deps installs it)")
endif()
get_filename_component(pc_dir ${pc} DIRECTORY)
run_or_fail("pkg-config --cflags --libs ravur" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir}
            ${pkg_config} --cflags --libs ravur)
separate_arguments(pc_flags UNIX_COMMAND "${output}")
foreach(program own_names example numerals)
  run_or_fail("building ${program}.cpp with pkg-config's flags"
              ${CXX} ${app}/${program}.cpp ${pc_flags} -o ${app}/${program}-pc)
  foreach(built ${app}/build/${program} ${app}/${program}-pc)
    run_or_fail("${built}" ${built})
    if(NOT output STREQUAL "${${program}_output}")
      message(FATAL_ERROR "${built} printed\n${output}\ninstead of\n${${program}_output}")
    endif()
  endforeach()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
