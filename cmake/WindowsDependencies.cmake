# What the Windows cross build takes from the build machine instead of from Windows packages.

# GoogleTest and GoogleMock from Debian's sources (package googletest), built with the cross
# compiler into this tree; its own build names the targets as find_package(GTest) does on Linux.
set(RUKMOX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build")
if(NOT EXISTS ${RUKMOX_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${RUKMOX_GOOGLETEST_SOURCE} (install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${RUKMOX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Their code is not ours to keep free of warnings.
foreach(target gtest gtest_main gmock gmock_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()

# CLI11 and nlohmann-json are header-only. Their folders are linked into a directory of their
# own, so that the cross compiler never sees the rest of the build machine's /usr/include.
set(RUKMOX_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${RUKMOX_HOST_HEADERS})
foreach(folder CLI nlohmann)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "No /usr/include/${folder} (install libcli11-dev and nlohmann-json3-dev)")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${RUKMOX_HOST_HEADERS}/${folder} SYMBOLIC)
endforeach()
add_library(rukmox_host_headers INTERFACE)
target_include_directories(rukmox_host_headers SYSTEM INTERFACE ${RUKMOX_HOST_HEADERS})
add_library(CLI11::CLI11 ALIAS rukmox_host_headers)
add_library(nlohmann_json::nlohmann_json ALIAS rukmox_host_headers)
# The find_package calls of the folders below find these targets through empty package files.
foreach(package CLI11 nlohmann_json)
  set(config ${CMAKE_BINARY_DIR}/host-packages/${package})
  file(WRITE ${config}/${package}Config.cmake "# The target is defined by the build itself.\n")
  set(${package}_DIR ${config} CACHE PATH "" FORCE)
endforeach()

# Test programs are listed when CTest runs them (under Wine), not when they are built.
set(RUKMOX_DISCOVERY_MODE DISCOVERY_MODE PRE_TEST)
