# The dynamic-disk tests also use the image writer and image access of strata-ldm.
if(TARGET test_ldm)
  target_link_libraries(test_ldm PRIVATE strata_ldm_tool)
  add_dependencies(test_ldm strata-ldm)
endif()

# The libFuzzer targets (clang only), built on demand by tests/ldm/run-fuzz.sh:
#   cmake --build <build> --target ldm_fuzz description_fuzz
find_program(STRATA_CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(STRATA_CLANGXX AND TARGET stratasim)
  set(ldm_fuzz_sources
    ${CMAKE_SOURCE_DIR}/tests/ldm/fuzz/LdmFuzzTarget.cpp
    ${CMAKE_SOURCE_DIR}/collect/TextConversions.cpp
    ${CMAKE_SOURCE_DIR}/ldm/DatabaseCache.cpp
    ${CMAKE_SOURCE_DIR}/ldm/DatabaseLookup.cpp
    ${CMAKE_SOURCE_DIR}/ldm/DiskDatabase.cpp
    ${CMAKE_SOURCE_DIR}/ldm/GptPartitionReader.cpp
    ${CMAKE_SOURCE_DIR}/ldm/LDMDBParser.cpp
    ${CMAKE_SOURCE_DIR}/ldm/LDMDataBase.cpp
    ${CMAKE_SOURCE_DIR}/ldm/PlatformDiskAccess.cpp
    ${CMAKE_SOURCE_DIR}/ldm/PrivateHeader.cpp
    ${CMAKE_SOURCE_DIR}/ldm/VBLKFieldReader.cpp
    ${CMAKE_SOURCE_DIR}/ldm/VBLKParser.cpp
    ${CMAKE_SOURCE_DIR}/ldm/VBLKRecordDecoder.cpp)
  file(GLOB ldm_fuzz_headers ${CMAKE_SOURCE_DIR}/ldm/*.h ${CMAKE_SOURCE_DIR}/tests/ldm/*.h)
  set(ldm_fuzz_binary ${CMAKE_BINARY_DIR}/bin/ldm_fuzz)
  add_custom_command(
    OUTPUT ${ldm_fuzz_binary}
    COMMAND ${STRATA_CLANGXX} -std=c++17 -g -O1 -fno-omit-frame-pointer
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            -I${CMAKE_SOURCE_DIR} ${ldm_fuzz_sources}
            $<TARGET_FILE:stratasim> -Wl,-rpath,$<TARGET_FILE_DIR:stratasim>
            -o ${ldm_fuzz_binary}
    DEPENDS ${ldm_fuzz_sources} ${ldm_fuzz_headers} stratasim
    COMMENT "Building the dynamic-disk database fuzzer"
    VERBATIM)
  add_custom_target(ldm_fuzz DEPENDS ${ldm_fuzz_binary})

  # The description readers: the simulated machine's, compiled in so that
  # the fuzzer sees its coverage, and the disk-group description of strata-ldm.
  file(GLOB description_fuzz_sim ${CMAKE_SOURCE_DIR}/platform/sim/*.cpp)
  set(description_fuzz_sources
    ${CMAKE_SOURCE_DIR}/tests/ldm/fuzz/DescriptionFuzzTarget.cpp
    ${description_fuzz_sim}
    ${CMAKE_SOURCE_DIR}/tools/strata-ldm/ByteAppender.cpp
    ${CMAKE_SOURCE_DIR}/tools/strata-ldm/DatabaseRecords.cpp
    ${CMAKE_SOURCE_DIR}/tools/strata-ldm/DiskImageWriter.cpp
    ${CMAKE_SOURCE_DIR}/tools/strata-ldm/DiskPlan.cpp
    ${CMAKE_SOURCE_DIR}/tools/strata-ldm/GptTableWriter.cpp
    ${CMAKE_SOURCE_DIR}/tools/strata-ldm/GroupDescription.cpp)
  file(GLOB description_fuzz_headers ${CMAKE_SOURCE_DIR}/platform/sim/*.h ${CMAKE_SOURCE_DIR}/tools/strata-ldm/*.h)
  set(description_fuzz_binary ${CMAKE_BINARY_DIR}/bin/description_fuzz)
  add_custom_command(
    OUTPUT ${description_fuzz_binary}
    COMMAND ${STRATA_CLANGXX} -std=c++17 -g -O1 -fno-omit-frame-pointer
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            -I${CMAKE_SOURCE_DIR} ${description_fuzz_sources} -o ${description_fuzz_binary}
    DEPENDS ${description_fuzz_sources} ${description_fuzz_headers}
    COMMENT "Building the description fuzzer"
    VERBATIM)
  add_custom_target(description_fuzz DEPENDS ${description_fuzz_binary})
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
