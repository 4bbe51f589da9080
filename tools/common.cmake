# What the tools share: writing new files into an output folder safely.
add_library(strata_tool_files STATIC ${CMAKE_CURRENT_LIST_DIR}/common/NewFile.cpp)
