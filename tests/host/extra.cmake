# Plug-in modules with fixed answers for the host program's tests.
add_library(strata_fake_pi MODULE ${CMAKE_CURRENT_SOURCE_DIR}/host/fake_plugin/FakePlugin.cpp)
set_target_properties(strata_fake_pi PROPERTIES PREFIX "" OUTPUT_NAME "fake.pi")
target_link_libraries(strata_fake_pi PRIVATE telvacore)
add_library(strata_silent_pi MODULE ${CMAKE_CURRENT_SOURCE_DIR}/host/fake_plugin/SilentPlugin.cpp)
set_target_properties(strata_silent_pi PROPERTIES PREFIX "" OUTPUT_NAME "silent.pi")
if(TARGET test_host)
  # The host program and the modules it loads, the real plug-in included.
  add_dependencies(test_host strata-host strata_fake_pi strata_silent_pi strata_pi)
endif()
if(TARGET test_host)
  target_link_libraries(test_host PRIVATE GTest::gmock)
endif()
