# Bakes the animation into WORK and compares it with the committed tables (--quiet: the
# table only, without the fidelity report and its second, uniform-grid bake).
execute_process(COMMAND ${BAKER} ${WORK}/animation.cpp --quiet RESULT_VARIABLE rc ERROR_VARIABLE said)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "animbake failed (${rc}): ${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/animation.cpp ${COMMITTED}
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "data/animation.cpp differs from what tools/animbake makes; "
                      "build the target bake-animation and commit the result")
endif()
