# The dynamic-disk tests also use the image writer and image access of strata-ldm.
if(TARGET test_ldm)
  target_link_libraries(test_ldm PRIVATE strata_ldm_tool)
  add_dependencies(test_ldm strata-ldm)
endif()
