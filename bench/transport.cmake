# Round trip and silent-read cost of the serial transport over a pseudo-terminal.
add_executable(rukmox-bench-transport ${CMAKE_CURRENT_SOURCE_DIR}/transport_roundtrip.cpp)
target_link_libraries(rukmox-bench-transport PRIVATE rukmox_transport util)
