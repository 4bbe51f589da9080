# The dynamic-disk tests also use the image writer and image access of strata-ldm.
if(TARGET test_ldm)
  target_link_libraries(test_ldm PRIVATE strata_ldm_tool)
  add_dependencies(test_ldm strata-ldm)
endif()

# The libFuzzer targets, ordinary targets of the sanitizer tree (Clang with
# STRATA_SANITIZE, where every library is built with fuzzer coverage): the
# dynamic-disk database reader, and the machine and disk-group description
# readers. tests/ldm/run-fuzz.sh runs them.
if(STRATA_FUZZ)
  add_executable(ldm_fuzz ${CMAKE_CURRENT_LIST_DIR}/fuzz/LdmFuzzTarget.cpp)
  target_link_libraries(ldm_fuzz PRIVATE strata_core)
  add_executable(description_fuzz ${CMAKE_CURRENT_LIST_DIR}/fuzz/DescriptionFuzzTarget.cpp)
  target_link_libraries(description_fuzz PRIVATE strata_ldm_tool stratasim)
  target_link_options(ldm_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(description_fuzz PRIVATE -fsanitize=fuzzer)
endif()

# Writes the fuzzer's seed corpus (used by tests/ldm/run-fuzz.sh).
add_executable(ldm_fuzz_seeds ${CMAKE_CURRENT_LIST_DIR}/fuzz/SeedCorpus.cpp)
target_link_libraries(ldm_fuzz_seeds PRIVATE strata_ldm_tool)
set_target_properties(ldm_fuzz_seeds PROPERTIES EXCLUDE_FROM_ALL ON)

# The end-to-end test of modern dynamic disks writes its images with the
# writer of strata-ldm.
if(TARGET test_e2e)
  target_link_libraries(test_e2e PRIVATE strata_ldm_tool)
endif()
