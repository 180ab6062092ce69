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
    PROPERTIES LABELS "${T_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# fts_e2e_test(<program>): the end-to-end cases of a program, <program>/tests/<program>_e2e_test.cpp,
# run against the built executable (built first) and labelled e2e and <program>.
function(fts_e2e_test program)
  set(name ${program}_e2e_test)
  add_executable(${name} tests/${name}.cpp)
  fts_target_defaults(${name})
  target_link_libraries(${name} PRIVATE fts_testing GTest::gtest_main)
  add_dependencies(${name} ${program})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES LABELS "e2e;${program}"
    DISCOVERY_TIMEOUT 60)
endfunction()
