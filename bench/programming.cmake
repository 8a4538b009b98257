# Programming an 8 KiB image through the simulated boot loader at 9600 baud, wire timing on.
add_executable(rukmox-bench-programming ${CMAKE_CURRENT_SOURCE_DIR}/programming_image.cpp)
target_include_directories(rukmox-bench-programming PRIVATE ${CMAKE_SOURCE_DIR}/tests/programming)
target_link_libraries(rukmox-bench-programming PRIVATE rukmox_programming rukmox_sim)
