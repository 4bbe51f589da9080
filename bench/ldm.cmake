# Dynamic-disk database benchmarks (see the README for the commands).
add_executable(bench_ldm_scan EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/ldm-scan.cpp)
target_link_libraries(bench_ldm_scan PRIVATE strata_ldm_tool)
add_executable(bench_ldm_full_area EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/ldm-full-area.cpp)
target_link_libraries(bench_ldm_full_area PRIVATE strata_ldm_tool)
