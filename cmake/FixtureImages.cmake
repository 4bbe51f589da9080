# The dynamic-disk images written by Windows, unpacked once per build tree.
# strata_fixture_images(TARGET) sets STRATA_FIXTURE_IMAGES to the folder and
# makes TARGET unpack them there; without the shared archive TARGET does
# nothing and the tests that need the images skip.
set(STRATA_SHARED_FIXTURES "${CMAKE_SOURCE_DIR}/../shared/fixtures" CACHE PATH
    "Shared fixtures folder (optional; tests that need it skip when it is absent)")

function(strata_fixture_images target)
  set(images "${CMAKE_BINARY_DIR}/fixtures/ldm")
  set(archive "${STRATA_SHARED_FIXTURES}/ldm/ldm-2003r2.tar.xz")
  set(STRATA_FIXTURE_IMAGES "${images}" PARENT_SCOPE)
  if(EXISTS "${archive}")
    add_custom_command(
      OUTPUT "${images}/.unpacked"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${images}"
      COMMAND tar xJf "${archive}" -C "${images}"
      COMMAND ${CMAKE_COMMAND} -E copy "${STRATA_SHARED_FIXTURES}/ldm/ldm-2003r2-facts.json" "${images}/"
      COMMAND ${CMAKE_COMMAND} -E touch "${images}/.unpacked"
      DEPENDS "${archive}"
      COMMENT "Unpacking the dynamic-disk fixture images")
    add_custom_target(${target} ALL DEPENDS "${images}/.unpacked")
  else()
    add_custom_target(${target})
  endif()
endfunction()
