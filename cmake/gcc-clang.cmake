# Warnings and sanitizers of GCC and Clang (the Linux build and the mingw-w64
# cross build). Another compiler brings its own settings.
add_compile_options(-Wall -Wextra)
if(STRATA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
  # With Clang the same tree builds the libFuzzer targets: every library
  # carries the fuzzer's coverage instrumentation.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
    set(STRATA_FUZZ ON)
  endif()
endif()
