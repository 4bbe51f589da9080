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
