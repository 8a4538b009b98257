# Tests of the serial side: the serial layer, the port list, the device base class and TRukCom.
# They run on real pseudo-terminals; none needs hardware.
foreach(name IN ITEMS SerialPortTest RukComTest RukDeviceTest PortListTest)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE rukmox_transport rukmox_test_support)
  rukmox_discover_tests(${name} transport)
endforeach()
