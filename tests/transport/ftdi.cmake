# Tests of the FTDI side: the mode-string parser, the D2XX loader, our ftdi_sio layer (on a sysfs
# tree the tests build and on pseudo-terminals) and TRukFtdi.

if(WIN32)
  # The mode-string parser is the same on every system; the rest stands on Linux ttys and dlopen.
  add_executable(CommDcbTest ${CMAKE_CURRENT_SOURCE_DIR}/CommDcbTest.cpp)
  target_link_libraries(CommDcbTest PRIVATE rukmox_transport rukmox_test_support)
  rukmox_discover_tests(CommDcbTest transport)
  return()
endif()

# A library with only some of the 17 D2XX names, loaded through RUKMOX_D2XX by the loader tests.
add_library(d2xx_partial_library MODULE ${CMAKE_CURRENT_SOURCE_DIR}/D2xxPartialLibrary.c)
set_target_properties(d2xx_partial_library PROPERTIES PREFIX "lib")

foreach(name IN ITEMS CommDcbTest D2xxLoaderTest D2xxDiscoveryTest D2xxLayerTest
                      FtdiTransportTest FtdiPtyTest)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE rukmox_transport rukmox_test_support)
  target_compile_definitions(${name} PRIVATE
    RUKMOX_PARTIAL_D2XX="$<TARGET_FILE:d2xx_partial_library>")
  add_dependencies(${name} d2xx_partial_library)
  # The tests describe fake ttys with designated initializers and rely on the members' defaults,
  # which GCC 12 reports as missing initializers.
  target_compile_options(${name} PRIVATE -Wno-missing-field-initializers)
  rukmox_discover_tests(${name} transport)
endforeach()
