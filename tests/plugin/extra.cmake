# The entry point and callback object compiled into a test program of their
# own: their load-time registration runs in that process.
file(GLOB strata_spine_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/spine/*.cpp)
add_executable(test_spine ${strata_spine_tests}
               ${CMAKE_SOURCE_DIR}/plugin/StrataCallbacks.cpp ${CMAKE_SOURCE_DIR}/plugin/Entry.cpp)
target_link_libraries(test_spine PRIVATE strata_test_support GTest::gtest_main)
gtest_discover_tests(test_spine TEST_PREFIX "spine." DISCOVERY_TIMEOUT 60)
