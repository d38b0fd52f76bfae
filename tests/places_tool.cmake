# tessaly-places and scripts/make-places.sh on the small dump fixture: the
# index they make must be the committed one byte for byte (the same script
# and tool made assets/places/places-na.dat), and a damaged index is refused.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND bash ${SOURCE_DIR}/scripts/make-places.sh
                        --input ${SOURCE_DIR}/tests/data/places/cities500-fixture.txt
                        --out ${WORK}/fixture-places.dat --tool ${TOOL}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^6 places from 12 lines \\(1 lines skipped")
  message(FATAL_ERROR "make-places.sh: ${rc}\n${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/fixture-places.dat
                        ${SOURCE_DIR}/tests/data/places/fixture-places.dat RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "the index made from the fixture differs from tests/data/places/fixture-places.dat")
endif()
# One byte changed inside the compressed data.
file(READ ${WORK}/fixture-places.dat hex HEX)
string(SUBSTRING "${hex}" 0 60 head)
string(SUBSTRING "${hex}" 62 -1 tail)
file(WRITE ${WORK}/damaged.hex "${head}00${tail}")
execute_process(COMMAND python3 -c "import sys;open(sys.argv[2],'wb').write(bytes.fromhex(open(sys.argv[1]).read()))"
                        ${WORK}/damaged.hex ${WORK}/damaged.dat)
execute_process(COMMAND ${TOOL} --check ${WORK}/damaged.dat RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 3 OR NOT err MATCHES "damaged")
  message(FATAL_ERROR "a damaged index was not refused: ${rc} ${err}")
endif()
