# Runs one fuzz target for a bounded time (cmake -P, from the test fuzz_<name>). It works on a
# fresh copy of the seed corpus, so the inputs it finds and any crash it saves stay in the
# build tree and the source tree is never written.
foreach(variable FUZZER SEEDS WORK SECONDS)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "runfuzz.cmake needs -D${variable}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)

# -timeout: one input taking longer is a hang; -rss_limit_mb: the decoders' limits keep far
# below it, so passing it means an input escaped them.
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
          -artifact_prefix=${WORK}/artifacts/ -print_final_stats=1 ${WORK}/corpus
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found ${WORK}/artifacts/*)
  message(FATAL_ERROR "${FUZZER} failed (${result}). Input that shows it: ${found}")
endif()
