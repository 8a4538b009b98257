# Tests of the serial side: the serial layer, the port list, the device base class, TRukCom and
# the settings the programs take from their environment.
# They run on real pseudo-terminals; none needs hardware. The time-out model's tests
# (SerialPortModelTest, RukComTimeoutTest) run on Windows as well, on a pair of COM ports.
set(serial_tests SerialPortModelTest RukComTimeoutTest)
if(NOT WIN32)
  list(APPEND serial_tests SerialPortTest RukComTest RukDeviceTest PortListTest TransportSettingsTest
       PortDiagnosisTest)
endif()
foreach(name IN LISTS serial_tests)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE rukmox_transport rukmox_test_support)
  rukmox_discover_tests(${name} transport)
endforeach()
