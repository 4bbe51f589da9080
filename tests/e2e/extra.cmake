# The end-to-end tests query the sample machines through the plug-in module and
# print it with the host program's report formats.
if(TARGET test_e2e)
  target_link_libraries(test_e2e PRIVATE strata_host_program GTest::gmock)
  add_dependencies(test_e2e strata_pi)
  foreach(sample strata_lab_sample strata_server_sample)
    if(TARGET ${sample})
      add_dependencies(test_e2e ${sample})
    endif()
  endforeach()
endif()
