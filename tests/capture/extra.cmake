# strata-capture: snapshots of simulated machines replay to the same inventory.
file(GLOB STRATA_CAPTURE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_capture ${STRATA_CAPTURE_TESTS})
target_link_libraries(test_capture PRIVATE strata_test_support strata_capture_tool GTest::gtest_main)
set_target_properties(test_capture PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
add_dependencies(test_capture strata-capture strata-host strata_pi bench_make_machine)
foreach(sample strata_lab_sample strata_server_sample)
  if(TARGET ${sample})
    add_dependencies(test_capture ${sample})
  endif()
endforeach()
gtest_discover_tests(test_capture TEST_PREFIX "capture." DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 900)

# The libFuzzer target for captured folders (a description and its image,
# queried for every class), an ordinary target of the sanitizer tree beside
# the dynamic-disk ones; tests/ldm/run-fuzz.sh runs it.
if(STRATA_FUZZ)
  add_executable(snapshot_fuzz ${CMAKE_CURRENT_LIST_DIR}/fuzz/SnapshotFuzzTarget.cpp
                 ${PROJECT_SOURCE_DIR}/plugin/StrataCallbacks.cpp)
  target_link_libraries(snapshot_fuzz PRIVATE strata_core strata_host_program stratasim)
  target_link_options(snapshot_fuzz PRIVATE -fsanitize=fuzzer)
endif()
