# Whole-query benchmarks over generated machines (see bench/query-scaling.sh).
add_executable(bench_make_machine ${CMAKE_CURRENT_LIST_DIR}/query/MakeMachine.cpp)
target_link_libraries(bench_make_machine PRIVATE strata_ldm_tool)
# Built when asked for (the golden reports need only the machine maker).
add_executable(bench_query EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/query/QueryMachine.cpp)
target_link_libraries(bench_query PRIVATE strata_core strata_host_program stratasim)
add_dependencies(bench_query strata_pi)
