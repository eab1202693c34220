# cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DSECONDS=... -P RunFuzzer.cmake
# Fuzzes one target for SECONDS on a fresh copy of its seeds in WORK/corpus (the seeds in the
# repository are never written to); libFuzzer exits non-zero on a crash, a time-out of one
# input (10 s), a leak or a broken invariant, and keeps that input in WORK/artifacts. Its report
# goes to WORK/fuzz.log; the test prints the figures, or the report when the run failed.
file(REMOVE_RECURSE ${WORK}/corpus ${WORK}/artifacts)
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  OUTPUT_FILE ${WORK}/fuzz.log
  ERROR_FILE ${WORK}/fuzz.log
  RESULT_VARIABLE result)

file(READ ${WORK}/fuzz.log report)
if(NOT result EQUAL 0)
  string(LENGTH "${report}" length)
  if(length GREATER 12000)
    math(EXPR start "${length} - 12000")
    string(SUBSTRING "${report}" ${start} -1 report)
  endif()
  message("${report}")
  message(FATAL_ERROR "${FUZZER} failed (${result}); its input is in ${WORK}/artifacts")
endif()
string(REGEX MATCH "number_of_executed_units: *([0-9]+)" executions "${report}")
set(executions ${CMAKE_MATCH_1})
string(REGEX MATCH "new_units_added: *([0-9]+)" added "${report}")
set(added ${CMAKE_MATCH_1})
string(REGEX MATCH "DONE +cov: *([0-9]+)" done "${report}")
set(coverage ${CMAKE_MATCH_1})
message("${FUZZER}: ${executions} executions in ${SECONDS} s, ${added} new inputs, coverage ${coverage}, no crash")
