# strata-capture: records a machine's view as a description with drive images.
find_package(nlohmann_json 3 REQUIRED)
add_library(strata_capture_tool STATIC
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/CaptureLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/ControlCodes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/DeviceCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/MachineCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/SectorCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/SparseImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/SystemNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/strata-capture/VolumeCapture.cpp)
target_link_libraries(strata_capture_tool PUBLIC strata_core strata_tool_files nlohmann_json::nlohmann_json)
add_executable(strata-capture ${CMAKE_CURRENT_LIST_DIR}/strata-capture/main.cpp)
target_link_libraries(strata-capture PRIVATE strata_capture_tool)
