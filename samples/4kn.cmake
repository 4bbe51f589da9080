# Two servers whose dynamic disks have 4096-byte sectors: MBR disks
# (4kn-mbr.json) and GPT disks (4kn-gpt.json).
strata_sample(strata_4kn_samples
  GROUPS ${CMAKE_CURRENT_LIST_DIR}/4kn/mbr-group.json ${CMAKE_CURRENT_LIST_DIR}/4kn/gpt-group.json
  IMAGES 4kn-mbr1.img 4kn-mbr2.img 4kn-gpt1.img 4kn-gpt2.img 4kn-gpt3.img
  MACHINES ${CMAKE_CURRENT_LIST_DIR}/4kn/mbr-machine.json 4kn-mbr.json
           ${CMAKE_CURRENT_LIST_DIR}/4kn/gpt-machine.json 4kn-gpt.json)
