# strata-ldm: dumps dynamic-disk databases, writes dynamic-disk images, reads
# dynamic volumes.
find_package(nlohmann_json 3 REQUIRED)
add_library(strata_ldm_tool STATIC
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/ByteAppender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/CheckCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DatabaseDiagnosis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DatabaseJson.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DatabaseRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DiskCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DiskImageWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DiskPlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DmTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DumpCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/DynamicImageSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/ExtentMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/ExtractCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/GptTableWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/GroupDescription.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/ImageFileAccess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/OutputCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/VerifyCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/VolumeArguments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/VolumeMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/VolumeOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/VolumeReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/VolumesCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/WriteCommand.cpp)
target_link_libraries(strata_ldm_tool PUBLIC strata_core strata_tool_files nlohmann_json::nlohmann_json)
add_executable(strata-ldm ${CMAKE_CURRENT_LIST_DIR}/strata-ldm/main.cpp)
target_link_libraries(strata-ldm PRIVATE strata_ldm_tool)
