# The golden reports: three machines' complete JSON reports, byte for byte.
add_test(NAME golden COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/golden.sh ${CMAKE_BINARY_DIR})
set_tests_properties(golden PROPERTIES TIMEOUT 900)
