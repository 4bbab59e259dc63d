# Regenerates the scroll texts into WORK and compares with the committed table; then
# checks that texts of the wrong length or with a forbidden character are refused.
function(generate texts out expect_ok)
  execute_process(COMMAND ${GENERATOR} ${texts} ${out} RESULT_VARIABLE rc ERROR_VARIABLE said)
  if(expect_ok AND NOT rc EQUAL 0)
    message(FATAL_ERROR "generator failed on ${texts}: ${said}")
  elseif(NOT expect_ok AND (rc EQUAL 0 OR NOT said MATCHES "^scrolltext: entry [0-9]+: "))
    message(FATAL_ERROR "generator accepted ${texts} (exit ${rc}, said '${said}')")
  endif()
endfunction()

generate(${TEXTS} ${WORK}/scroll_texts.cpp TRUE)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/scroll_texts.cpp ${COMMITTED}
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "data/scroll_texts.cpp differs from what tools/scrolltext makes; "
                      "build the target gen-scroll-texts")
endif()

file(READ ${TEXTS} texts)
string(REPLACE "demoparty!!! |" "demoparty!! |" shorter "${texts}")
string(REPLACE "Competitions!" "Competitions?" question "${texts}")
string(REPLACE "bigscreen!    |" "bigscreens!   |" trailing "${texts}")
foreach(broken shorter question trailing)
  file(WRITE ${WORK}/${broken}.txt "${${broken}}")
  generate(${WORK}/${broken}.txt ${WORK}/${broken}.cpp FALSE)
endforeach()
