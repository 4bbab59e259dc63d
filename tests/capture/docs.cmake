# The README's pictures: three stills and a contact sheet of the show, by the capture.
file(REMOVE_RECURSE ${WORK})
unset(ENV{VIEWING_GAMMA})  # the pictures as their files hold them
# Title phase, the layer picture (scene 4 s), a card with the writer strips (scene 17 s).
execute_process(COMMAND ${CAPTURE} --at 5,14,27 --frames ${WORK}/stills
                WORKING_DIRECTORY ${SHOW_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kessivar-capture failed (${rc})")
endif()
file(COPY_FILE ${WORK}/stills/frame-000000.png ${DOCS}/still-title.png)
file(COPY_FILE ${WORK}/stills/frame-000001.png ${DOCS}/still-layer.png)
file(COPY_FILE ${WORK}/stills/frame-000002.png ${DOCS}/still-card.png)
# Sixteen moments, every 4 s from the title to the end of the first round of cards.
execute_process(COMMAND ${CAPTURE} --at 2,6,10.5,14,18,22,26,30,34,38,42,46,50,54,58,62
                        --frames ${WORK}/sheet
                WORKING_DIRECTORY ${SHOW_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kessivar-capture failed (${rc})")
endif()
file(GLOB tiles ${WORK}/sheet/frame-*.png)
list(SORT tiles)
# Tiles a third of the frame's size, each averaging 3x3 pixels (flat areas stay flat and
# the sheet near 250 KB).
execute_process(COMMAND montage ${tiles} -filter Box -tile 4x4 -geometry 213x160+2+2
                        -background black -depth 8 -strip
                        -define png:exclude-chunks=date,time ${DOCS}/show-sheet.png
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "montage (ImageMagick) failed (${rc})")
endif()
