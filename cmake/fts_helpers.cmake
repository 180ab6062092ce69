# Small helpers shared by every folder of the suite.

# fts_target_defaults(<target>): the suite's warnings on one of its own targets.
function(fts_target_defaults target)
  target_compile_options(${target} PRIVATE ${FTS_WARNINGS})
endfunction()

# fts_unit_test(<name> LABELS <labels...> SOURCES <files...> [LIBS <targets...>])
# One GoogleTest executable per module, registered test by test with ctest.
function(fts_unit_test name)
  cmake_parse_arguments(T "" "" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  fts_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
  # Labels are set on the discovered tests by a script that ctest runs after the discovery
  # script: a list of labels passed through gtest_discover_tests' PROPERTIES is split into
  # separate arguments on its way, so that only the first label would stick.
  set(label_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${label_script}
    "foreach(t IN LISTS ${name}_TESTS)\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${T_LABELS}\")\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_script})
endfunction()
