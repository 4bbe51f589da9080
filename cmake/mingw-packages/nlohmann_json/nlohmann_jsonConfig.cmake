# nlohmann-json for the Windows cross-build: the header-only library from a
# folder that holds nothing but nlohmann/ (STRATA_JSON_INCLUDE, set by the
# toolchain file).
if(NOT STRATA_JSON_INCLUDE OR NOT EXISTS ${STRATA_JSON_INCLUDE}/nlohmann/json.hpp)
  set(nlohmann_json_FOUND FALSE)
  set(nlohmann_json_NOT_FOUND_MESSAGE "STRATA_JSON_INCLUDE must name a folder holding nlohmann/")
  return()
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${STRATA_JSON_INCLUDE}
                        INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${STRATA_JSON_INCLUDE})
endif()
