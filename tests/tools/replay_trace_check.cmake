# Runs marrowgast-replay twice on the tour fixture and compares both traces with the committed
# ones, which another build type produced; then checks that a bad option writes nothing.
# cmake -DREPLAY=<exe> -DDATA=<tests/data/replay> -DOUT=<scratch dir> -P replay_trace_check.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
foreach(run 1 2)
  execute_process(
    COMMAND ${REPLAY} --steps 1000 --root ${DATA}/ring --keys ${DATA}/tour.keys
            --trace ${OUT}/tour${run}.trace --trace-objects ${OUT}/tour${run}.objects
    RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "run ${run} exited with ${result}: ${errors}")
  endif()
  foreach(kind trace objects)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DATA}/tour.${kind} ${OUT}/tour${run}.${kind}
                    RESULT_VARIABLE different)
    if(different)
      message(FATAL_ERROR "run ${run}: ${OUT}/tour${run}.${kind} differs from ${DATA}/tour.${kind}")
    endif()
  endforeach()
endforeach()

execute_process(
  COMMAND ${REPLAY} --steps 10 --root ${DATA}/ring --trace ${OUT}/bad.trace --size 3x3
  RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 2 OR EXISTS ${OUT}/bad.trace OR NOT errors MATCHES "--size")
  message(FATAL_ERROR "a bad --size gave exit code ${result} and \"${errors}\"")
endif()
file(REMOVE_RECURSE ${OUT})
