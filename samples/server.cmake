# STRATA-SRV, a machine shaped like a real server (server/machine.json): its
# own disk group, one brought from another server, and a clone of one of
# that group's disks.
strata_sample(strata_server_sample
  GROUPS ${CMAKE_CURRENT_LIST_DIR}/server/server-group.json ${CMAKE_CURRENT_LIST_DIR}/server/oldhost-group.json
  WRITE ${CMAKE_CURRENT_LIST_DIR}/server/oldhost-group.json oldhost-clone2.img Disk2
  IMAGES server-dynamic1.img server-dynamic2.img oldhost-dynamic1.img oldhost-dynamic2.img oldhost-clone2.img
  MACHINES ${CMAKE_CURRENT_LIST_DIR}/server/machine.json server.json)
