# The include rules between the plug-in's folders (docs/design.md).
add_test(NAME layers COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/layers.sh ${CMAKE_SOURCE_DIR})
