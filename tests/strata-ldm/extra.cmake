# strata-ldm's volume commands and its check, run as their users run them:
# slower than the reader's own tests (volumes are extracted and judged by
# ntfs-3g), so in a program of their own and out of the ldm edit loop.
file(GLOB STRATA_LDM_TOOL_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_strata_ldm ${STRATA_LDM_TOOL_TESTS})
target_link_libraries(test_strata_ldm PRIVATE strata_test_support strata_ldm_tool GTest::gtest_main)
set_target_properties(test_strata_ldm PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(test_strata_ldm PRIVATE -Wno-subobject-linkage)
endif()
add_dependencies(test_strata_ldm strata-ldm)
gtest_discover_tests(test_strata_ldm TEST_PREFIX "strata-ldm." DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 900)
