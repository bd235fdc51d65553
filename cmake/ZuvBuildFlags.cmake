# Warnings, sanitizers and fuzzing instrumentation for the whole tree.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(ZUV_WERROR)
  add_compile_options(-Werror)
endif()

if(ZUV_SANITIZE)
  add_compile_options(-fsanitize=${ZUV_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ZUV_SANITIZE})
endif()

if(ZUV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZUV_FUZZ needs clang (configure with CXX=clang++ CC=clang)")
  endif()
  # Coverage instrumentation everywhere; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
