# tf_add_gtest(NAME LABEL SOURCES... LIBS ... [ENV VAR=VALUE]): one GoogleTest program, its
# tests registered with CTest one by one and labelled (unit, gui, interop, e2e). The common
# main (tests/support/main) fixes TZ and the locale and picks Qt's offscreen platform; ENV
# takes one more variable (a list would be split on its way into the generated test file).
function(tf_add_gtest name label)
  cmake_parse_arguments(T "" "ENV" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tf_test_main GTest::gtest GTest::gmock)
  set(props LABELS ${label} TIMEOUT 120)
  if(T_ENV)
    list(APPEND props ENVIRONMENT "${T_ENV}")
  endif()
  gtest_discover_tests(${name} PROPERTIES ${props} DISCOVERY_TIMEOUT 60)
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
      COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}>
              -DCORPUS=${corpus} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/${name}.work
              -P ${PROJECT_SOURCE_DIR}/cmake/RunFuzzer.cmake)
    set_tests_properties(fuzz_${name} PROPERTIES LABELS fuzz TIMEOUT 300)
  else()
    add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_test(NAME replay_${name} COMMAND ${name} ${corpus})
    set_tests_properties(replay_${name} PROPERTIES LABELS fuzz TIMEOUT 120)
  endif()
endfunction()

# tf_require_qt_free(TARGETS...): stops the configure step when one of the targets links Qt,
# directly or through any target it links, so the Qt-free core stays buildable without Qt.
function(tf_require_qt_free)
  foreach(target ${ARGN})
    set(pending ${target})
    set(seen "")
    while(pending)
      list(POP_FRONT pending current)
      if(current IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${current})
      if(current MATCHES "^Qt[0-9]*::")
        message(FATAL_ERROR "${target} must stay Qt-free but links ${current}")
      endif()
      if(TARGET ${current})
        get_target_property(aliased ${current} ALIASED_TARGET)
        if(aliased)
          list(APPEND pending ${aliased})
        endif()
        get_target_property(links ${current} LINK_LIBRARIES)
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(link ${links} ${interface})
          if(link AND NOT link MATCHES "^\\$<")
            list(APPEND pending ${link})
          endif()
        endforeach()
      endif()
    endwhile()
  endforeach()
endfunction()
