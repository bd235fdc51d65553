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
  # Undefined behaviour stops the fuzzer at the first finding instead of scrolling past.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Rebuilds of an unchanged tree (CI right after a session, a second worktree) come from ccache.
find_program(ZUV_CCACHE ccache)
if(ZUV_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_C_COMPILER_LAUNCHER ${ZUV_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${ZUV_CCACHE})
endif()
