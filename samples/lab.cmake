# The lab machine that ./run inventories by default: its four dynamic disks
# are images written by strata-ldm from lab/dynamic-group.json, and its
# description is copied beside them as default.json (and lab.json), so that
# the image names in it resolve. A cross build cannot run strata-ldm, and
# its programs inventory the real machine anyway.
if(CMAKE_CROSSCOMPILING)
  return()
endif()
set(STRATA_LAB_SOURCE ${CMAKE_CURRENT_LIST_DIR}/lab)
set(STRATA_LAB_OUTPUT ${CMAKE_CURRENT_BINARY_DIR})
set(STRATA_LAB_IMAGES)
foreach(number 1 2 3 4)
  list(APPEND STRATA_LAB_IMAGES ${STRATA_LAB_OUTPUT}/lab-dynamic${number}.img)
endforeach()
add_custom_command(
  OUTPUT ${STRATA_LAB_IMAGES} ${STRATA_LAB_OUTPUT}/default.json ${STRATA_LAB_OUTPUT}/lab.json
  COMMAND ${CMAKE_COMMAND} -E make_directory ${STRATA_LAB_OUTPUT}
  COMMAND strata-ldm write-all ${STRATA_LAB_SOURCE}/dynamic-group.json ${STRATA_LAB_OUTPUT}
  COMMAND ${CMAKE_COMMAND} -E copy ${STRATA_LAB_SOURCE}/machine.json ${STRATA_LAB_OUTPUT}/lab.json
  COMMAND ${CMAKE_COMMAND} -E copy ${STRATA_LAB_SOURCE}/machine.json ${STRATA_LAB_OUTPUT}/default.json
  DEPENDS strata-ldm ${STRATA_LAB_SOURCE}/dynamic-group.json ${STRATA_LAB_SOURCE}/machine.json
  COMMENT "Writing the lab machine's dynamic-disk images"
  VERBATIM)
add_custom_target(strata_lab_sample ALL
  DEPENDS ${STRATA_LAB_IMAGES} ${STRATA_LAB_OUTPUT}/default.json ${STRATA_LAB_OUTPUT}/lab.json)
