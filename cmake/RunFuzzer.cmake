# Runs one libFuzzer target for a bounded time over its kept corpus.
if(NOT SECONDS)
  set(SECONDS 10)
endif()
file(MAKE_DIRECTORY ${WORK})
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
          -artifact_prefix=${WORK}/ ${WORK} ${CORPUS}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "fuzzer ${FUZZER} failed with ${rc}; the crashing input is in ${WORK}")
endif()
