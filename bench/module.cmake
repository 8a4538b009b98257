# TRukMox on the simulated dongle: ping against a bare loop, silent exchange and Open, the scan.
add_executable(rukmox-bench-module
  ${CMAKE_CURRENT_SOURCE_DIR}/module_timing.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bare_ping.c)
target_link_libraries(rukmox-bench-module PRIVATE rukmox_module rukmox_sim)
# The poll tick's exchanges without the window, for the idle window's CPU row.
add_executable(rukmox-bench-poll ${CMAKE_CURRENT_SOURCE_DIR}/poll_loop.cpp)
target_link_libraries(rukmox-bench-poll PRIVATE rukmox_workflow)
