# strata-ldm: dumps dynamic-disk databases, writes dynamic-disk images.
find_package(nlohmann_json 3 REQUIRED)
add_library(strata_ldm_tool STATIC
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/ByteAppender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DatabaseDiagnosis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DatabaseJson.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DatabaseRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DiskImageWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DiskPlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DumpCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/GptTableWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/GroupDescription.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/ImageFileAccess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/OutputCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/WriteCommand.cpp)
target_link_libraries(strata_ldm_tool PUBLIC strata_core strata_tool_files nlohmann_json::nlohmann_json)
add_executable(strata-ldm ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/main.cpp)
target_link_libraries(strata-ldm PRIVATE strata_ldm_tool)
