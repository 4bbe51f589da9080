# Cross-build for 64-bit Windows with mingw-w64 (Debian g++-mingw-w64-x86-64-posix).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
#
# The header-only libraries the build needs from the build machine (Boost,
# nlohmann-json) are reached through folders that hold nothing but their own
# headers, so the cross compiler never sees the build machine's /usr/include.
# They are made in the build tree unless STRATA_BOOST_INCLUDE and
# STRATA_JSON_INCLUDE name such folders already.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix flavour has the C++ threading support the standard library needs.
set(STRATA_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${STRATA_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${STRATA_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${STRATA_MINGW_TRIPLE}-windres)

# Static run-times (C++, libgcc, winpthread): the modules load without extra
# DLLs. The plug-in module exports nothing (this linker would otherwise export
# every symbol of a DLL that marks none).
set(STRATA_LINK_OPTIONS -static-libgcc -static-libstdc++ -static)
set(STRATA_MODULE_LINK_OPTIONS -Wl,--exclude-all-symbols)

# Libraries, headers and packages come from the mingw-w64 sysroot only.
set(CMAKE_FIND_ROOT_PATH /usr/${STRATA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Makes <build>/<folder>/<name> a link to the build machine's /usr/include/<name>
# and returns <build>/<folder>.
function(strata_header_only_folder result folder name)
  set(target /usr/include/${name})
  if(NOT EXISTS ${target})
    message(FATAL_ERROR "${target} is missing: install the Debian package that provides it")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/${folder})
  if(NOT EXISTS ${dir}/${name})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${target} ${dir}/${name} SYMBOLIC)
  endif()
  set(${result} ${dir} PARENT_SCOPE)
endfunction()

# Try-compile projects see the toolchain too; they need none of this.
if(NOT CMAKE_IN_TRY_COMPILE)
  if(NOT STRATA_BOOST_INCLUDE)
    strata_header_only_folder(folder boost-include boost)
    set(STRATA_BOOST_INCLUDE ${folder} CACHE PATH "Folder holding only the boost headers")
  endif()
  if(NOT STRATA_JSON_INCLUDE)
    strata_header_only_folder(folder json-include nlohmann)
    set(STRATA_JSON_INCLUDE ${folder} CACHE PATH "Folder holding only the nlohmann headers")
  endif()
  # find_package(nlohmann_json) finds the package description that points at
  # the folder above.
  set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-packages/nlohmann_json
      CACHE PATH "nlohmann-json for the cross build")
endif()
