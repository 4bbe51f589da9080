# The simulated-machine tests use gmock's matchers.
if(TARGET test_platform)
  target_link_libraries(test_platform PRIVATE GTest::gmock)
endif()
