# tf_add_gtest(NAME LABEL SOURCES... LIBS ...): one GoogleTest program, its tests
# registered with CTest one by one and labelled (unit, gui, interop, e2e).
function(tf_add_gtest name label)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(env "TZ=America/New_York" "LC_ALL=C.UTF-8" ${T_ENV})
  if(label STREQUAL "gui")
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${label} ENVIRONMENT "${env}" TIMEOUT 120
    DISCOVERY_TIMEOUT 60)
endfunction()

# tf_add_fuzzer(NAME SOURCES... LIBS ...): a libFuzzer target when TF_FUZZ is on;
# otherwise the same entry point linked with a replay driver that runs every file of
# fuzz/corpus/NAME, registered as a CTest test labelled "fuzz".
function(tf_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(TF_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # A short run in every test run, starting from the kept corpus; new finds go to a
    # scratch folder so the source tree is not written by CI.
    add_test(NAME fuzz_${name}
      COMMAND ${CMAKE_COMMAND} -E env ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}>
              -DCORPUS=${corpus} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/${name}.work
              -DSECONDS=$ENV{TF_FUZZ_SECONDS} -P ${PROJECT_SOURCE_DIR}/cmake/RunFuzzer.cmake)
    set_tests_properties(fuzz_${name} PROPERTIES LABELS fuzz TIMEOUT 300)
  else()
    add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_test(NAME replay_${name} COMMAND ${name} ${corpus})
    set_tests_properties(replay_${name} PROPERTIES LABELS fuzz TIMEOUT 120)
  endif()
endfunction()
