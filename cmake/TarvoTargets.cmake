# Helpers that give every target of ours the same warnings and layout.

set(TARVO_WARNINGS -Wall -Wextra -Werror)

# tarvo_library(name SOURCES ... DEPS ...): one static library per subsystem.
function(tarvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_INCLUDES" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TARVO_WARNINGS})
  # Includes are written from the repository root ("framework/core/IParam.h").
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${ARG_PUBLIC_INCLUDES})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# tarvo_test(name SOURCES ... DEPS ... [LABELS label]): a GoogleTest executable under CTest (one
# label: discovered tests take no list). A test labelled tsan is a concurrency test: `make test-tsan` builds it (target tarvo_tsan_tests) and
# runs it with everything compiled under ThreadSanitizer.
function(tarvo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TARVO_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  # Editors read the user's preferences (the zoom): tests see an empty configuration folder of
  # the build's, never the settings of whoever runs them. (Discovered tests take no list in a
  # property, hence a property of its own.)
  set(environment ENVIRONMENT_MODIFICATION
    "XDG_CONFIG_HOME=set:${PROJECT_BINARY_DIR}/test-config-home")
  if("tsan" IN_LIST ARG_LABELS)
    add_dependencies(tarvo_tsan_tests ${name})
    # Any report fails the run, not only the first.
    list(APPEND environment ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:exitcode=66")
  endif()
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS "${ARG_LABELS}" ${environment} DISCOVERY_TIMEOUT 60)
endfunction()

# tarvo_fuzzer(name SOURCES ... DEPS ...): a libFuzzer target with its seed corpus folder
# fuzz/corpus/<name>.
function(tarvo_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TARVO_WARNINGS} -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  # Smoke run on the seed corpus; new inputs go to the build folder, never into the sources.
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
  file(MAKE_DIRECTORY ${work} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  add_test(NAME fuzz_smoke_${name}
    COMMAND ${name} -max_total_time=${TARVO_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
      -print_final_stats=1 -artifact_prefix=${work}/ ${work} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  set_tests_properties(fuzz_smoke_${name} PROPERTIES LABELS fuzz)
endfunction()

set(TARVO_FUZZ_SECONDS 5 CACHE STRING "How long each fuzz target runs under ctest")
