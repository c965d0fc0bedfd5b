# Installs the build into a fresh prefix, checks what lands there, and builds and
# runs a small C++ program against the installed ravur package through
# find_package(ravur) and ravur::ravur.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -DCXX=... -DBUILD_TYPE=... -P install_package.cmake
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
foreach(path bin/calc share/man/man1/calc.1 include/ravur.h)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
if(NOT archive OR NOT package)
  message(FATAL_ERROR "not installed: the static library (${archive}) or the CMake package (${package})")
endif()

run_or_fail("installed calc --version" ${prefix}/bin/calc --version)
if(NOT output STREQUAL "calc ${VERSION}\n")
  message(FATAL_ERROR "installed calc --version printed '${output}'")
endif()

set(app ${WORK_DIR}/app)
file(WRITE ${app}/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.16)
project(app LANGUAGES CXX)
find_package(ravur 1.0 REQUIRED)
add_executable(app main.cpp)
target_link_libraries(app PRIVATE ravur::ravur)
]=])
file(WRITE ${app}/main.cpp [=[
#include <cstdio>

#include <ravur.h>

int main() {
  const ravur::DxOperation operations[] = {ravur::DxAdd, ravur::DxSubtract, ravur::DxMultiply, ravur::DxDivide};
  for (const ravur::DxOperation operation : operations) std::puts(ravur::Result("1.5", "-2", operation));
}
]=])
run_or_fail("configuring against the package" ${CMAKE_COMMAND} -S ${app} -B ${app}/build
            -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
run_or_fail("building against the package" ${CMAKE_COMMAND} --build ${app}/build)
run_or_fail("the program built against the package" ${app}/build/app)
if(NOT output STREQUAL "-0.5\n3.5\n-3\n-0.75\n")
  message(FATAL_ERROR "the program built against the package printed '${output}'")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
