# One short, repeatable run of a fuzzing harness: a fixed seed and count,
# from its seed corpus, with what it finds kept in a scratch folder of the
# build (emptied first, so each run is the same). A crash, a sanitizer
# report or a timeout fails the test; the input is left in WORK as
# crash-*, timeout-* or leak-*.
#   cmake -DFUZZER=... -DNAME=... -DRUNS=... -DSEEDS=... -DDICT=... -DWORK=... -P run_fuzzer.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
set(dict "")
if(EXISTS ${DICT})
  set(dict -dict=${DICT})
endif()
execute_process(
  COMMAND ${FUZZER} -seed=1 -runs=${RUNS} -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1
          ${dict} -artifact_prefix=${WORK}/ ${WORK}/corpus ${SEEDS}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fuzz_${NAME} failed (status ${status}); the input that failed is in ${WORK}")
endif()
