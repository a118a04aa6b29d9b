# quillory_add_fuzz_target(<name> <source> [SOURCES <helper>...] LAYERS <layer>...)
#
# One reader of outside data under test. <source> defines LLVMFuzzerTestOneInput and nothing
# else (helpers shared by several targets go in SOURCES); its corpus is tests/fixtures/fuzz/<name>: the seeds and every input that once made the
# reader crash, hang or leak.
#
# With QUILLORY_FUZZ: the libFuzzer program fuzz_<name>, which scripts/run-fuzz runs.
# With the tests: the test fuzz_replay_<name>, which feeds every file of the corpus through the
# same entry point, so the regular and the sanitizer suites guard what fuzzing found.
function(quillory_add_fuzz_target name source)
  cmake_parse_arguments(ARG "" "" "SOURCES;LAYERS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/tests/fixtures/fuzz/${name})
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
  list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(NOT IS_DIRECTORY ${corpus})
    message(FATAL_ERROR "fuzz target ${name} has no corpus folder ${corpus}")
  endif()

  if(QUILLORY_FUZZ)
    add_executable(fuzz_${name} ${source} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/FuzzEnvironment.cpp)
    target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(fuzz_${name} PRIVATE Qt6::Widgets)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_compile_options(fuzz_${name} PRIVATE -Wall -Wextra -Wno-unused-parameter)
    quillory_link_layers(fuzz_${name} ${ARG_LAYERS})
    set_property(GLOBAL APPEND PROPERTY QUILLORY_FUZZ_TARGETS fuzz_${name})
  endif()

  if(QUILLORY_BUILD_TESTS)
    # The corpus folder goes into a small source of its own, so that the shared sources compile
    # alike in any working copy and are reused from the compiler cache.
    set(corpus_source ${CMAKE_CURRENT_BINARY_DIR}/fuzz_replay_${name}_corpus.cpp)
    file(CONFIGURE OUTPUT ${corpus_source} CONTENT
      "extern const char* const quilloryFuzzCorpusDir;\nconst char* const quilloryFuzzCorpusDir = \"${corpus}\";\n")
    add_executable(fuzz_replay_${name} ${source} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/CorpusReplayTest.cpp
      ${corpus_source})
    target_include_directories(fuzz_replay_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(fuzz_replay_${name} PRIVATE quillory_test_main)
    target_compile_options(fuzz_replay_${name} PRIVATE -Wall -Wextra -Wno-unused-parameter)
    quillory_link_layers(fuzz_replay_${name} ${ARG_LAYERS})
    gtest_discover_tests(fuzz_replay_${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}."
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endif()
endfunction()
