# The end-to-end tests query the lab machine through the plug-in module and
# print it with the host program's report formats.
if(TARGET test_e2e)
  target_link_libraries(test_e2e PRIVATE strata_host_program GTest::gmock)
  add_dependencies(test_e2e strata_pi)
  if(TARGET strata_lab_sample)
    add_dependencies(test_e2e strata_lab_sample)
  endif()
endif()
