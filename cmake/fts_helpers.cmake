# Small helpers shared by every folder of the suite.

# fts_target_defaults(<target>): the suite's warnings on one of its own targets.
function(fts_target_defaults target)
  target_compile_options(${target} PRIVATE ${FTS_WARNINGS})
endfunction()

# fts_label_tests(<target> <labels...>): puts every label on every test discovered in <target>.
# gtest_discover_tests keeps only the first of several labels, so they are set by a small script
# that ctest runs after the discovered tests are known.
function(fts_label_tests target)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake)
  file(WRITE ${script}
    "foreach(test IN LISTS ${target}_TESTS)\n"
    "  set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${ARGN}\")\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# fts_unit_test(<name> LABELS <labels...> SOURCES <files...> [LIBS <targets...>])
# One GoogleTest executable per module, registered test by test with ctest.
function(fts_unit_test name)
  cmake_parse_arguments(T "" "" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  fts_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} fts_test_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
  fts_label_tests(${name} ${T_LABELS})
endfunction()

# fts_e2e_test(<program>): the end-to-end cases of a program, <program>/tests/<program>_e2e_test.cpp,
# run against the built executable (built first) and labelled e2e and <program>.
function(fts_e2e_test program)
  set(name ${program}_e2e_test)
  add_executable(${name} tests/${name}.cpp)
  fts_target_defaults(${name})
  target_link_libraries(${name} PRIVATE fts_testing fts_test_main)
  add_dependencies(${name} ${program})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
  fts_label_tests(${name} e2e ${program})
endfunction()

# fts_program(<program> SOURCES <files...> LIBS <targets...> [E2E_LIBS <targets...>])
# A program of the suite in its folder: its own code (SOURCES) as the library <program>_core
# linking LIBS, the executable <program> from main.cpp, and with the tests its unit tests
# (tests/<program>_test.cpp) and end-to-end cases (tests/<program>_e2e_test.cpp, which also link
# E2E_LIBS, for fixtures written with the library).
function(fts_program program)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS;E2E_LIBS" ${ARGN})
  add_library(${program}_core STATIC ${P_SOURCES})
  target_include_directories(${program}_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${program}_core PUBLIC ${P_LIBS})
  fts_target_defaults(${program}_core)

  add_executable(${program} main.cpp)
  target_link_libraries(${program} PRIVATE ${program}_core)
  fts_target_defaults(${program})

  if(FTS_TESTS)
    fts_unit_test(${program}_test LABELS "unit;${program}" SOURCES tests/${program}_test.cpp
      LIBS ${program}_core fts_testing)
    fts_e2e_test(${program})
    if(P_E2E_LIBS)
      target_link_libraries(${program}_e2e_test PRIVATE ${P_E2E_LIBS})
    endif()
  endif()
endfunction()
