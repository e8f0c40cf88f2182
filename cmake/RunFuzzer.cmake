# Runs one libFuzzer target for a bounded time over its kept corpus.
# The length of the run is read when the test runs: TF_FUZZ_SECONDS, else 10 seconds.
set(SECONDS "$ENV{TF_FUZZ_SECONDS}")
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
