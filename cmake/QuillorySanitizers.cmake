# Instrumentation for the sanitizer and fuzzing builds. Every target, the tests' own code
# included, is built with the same flags so that a fault in a test helper shows up as well.
if(QUILLORY_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QUILLORY_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

if(QUILLORY_SANITIZE OR QUILLORY_FUZZ)
  # Any report fails the run: undefined behaviour aborts instead of printing and going on.
  set(quillory_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    list(APPEND quillory_sanitizers -fsanitize-ignorelist=${PROJECT_SOURCE_DIR}/cmake/sanitizer-ignorelist.txt)
  endif()
  add_compile_options(${quillory_sanitizers})
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUILLORY_FUZZ)
  # Coverage feedback for everything; only the fuzz programs link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
