# The spectrum chart offscreen, and the window's first frame.
find_package(Qt6 REQUIRED COMPONENTS Widgets Charts)
add_executable(rukmox-bench-spectrum ${CMAKE_CURRENT_SOURCE_DIR}/spectrum_chart.cpp)
target_link_libraries(rukmox-bench-spectrum PRIVATE Qt6::Widgets Qt6::Charts rukmox_window rukmox_sim)
add_executable(rukmox-bench-window ${CMAKE_CURRENT_SOURCE_DIR}/window_start.cpp)
target_link_libraries(rukmox-bench-window PRIVATE rukmox_window)
