# The lab machine that ./run inventories by default: its four dynamic disks
# written from lab/dynamic-group.json, its description copied beside them as
# default.json and lab.json.
strata_sample(strata_lab_sample
  GROUPS ${CMAKE_CURRENT_LIST_DIR}/lab/dynamic-group.json
  IMAGES lab-dynamic1.img lab-dynamic2.img lab-dynamic3.img lab-dynamic4.img
  MACHINES ${CMAKE_CURRENT_LIST_DIR}/lab/machine.json default.json
           ${CMAKE_CURRENT_LIST_DIR}/lab/machine.json lab.json)
