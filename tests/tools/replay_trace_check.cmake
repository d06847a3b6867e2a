# Runs marrowgast-replay on the tour fixture and compares both traces with the committed ones,
# which another build type produced. The traces are named as a person would from the folder the
# tool is started in, and must land there, not under the root.
# cmake -DREPLAY=<exe> -DDATA=<tests/data/replay> -DOUT=<scratch dir> -P replay_trace_check.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(
  COMMAND ${REPLAY} --steps 1000 --root ${DATA}/ring --keys ${DATA}/tour.keys
          --trace tour.trace --trace-objects tour.objects
  WORKING_DIRECTORY ${OUT}
  RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the tour exited with ${result}: ${errors}")
endif()
foreach(kind trace objects)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DATA}/tour.${kind} ${OUT}/tour.${kind}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${OUT}/tour.${kind} differs from ${DATA}/tour.${kind}")
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
