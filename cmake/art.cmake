# The artwork: assets/stormtrack.png (the placefile's icon file) and the
# program icon src/ui/win32/res/tessaly.ico are drawn by scripts/make-art.py,
# the alert sound assets/alert.wav is made by scripts/make-alert-sound.py;
# all are kept in the tree, so a build needs no Python. This file
#  - included by the top CMakeLists.txt: adds the ctest test art_reproducible
#    (native builds), which draws the artwork afresh into the build tree and
#    fails unless it matches the committed files byte for byte, and a target
#    `art` doing the same drawing on demand;
#  - run as a script (cmake -DPYTHON=... -DSOURCE_DIR=... -DOUT_DIR=... -P art.cmake):
#    the test itself.

if(CMAKE_SCRIPT_MODE_FILE)
  set(art_files assets/stormtrack.png src/ui/win32/res/tessaly.ico assets/alert.wav)
  file(REMOVE_RECURSE "${OUT_DIR}")
  foreach(script make-art.py make-alert-sound.py)
    execute_process(COMMAND "${PYTHON}" "${SOURCE_DIR}/scripts/${script}" --root "${OUT_DIR}"
                    RESULT_VARIABLE rc OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${script} failed: ${rc}")
    endif()
  endforeach()
  set(bad "")
  foreach(f ${art_files})
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE_DIR}/${f}" "${OUT_DIR}/${f}"
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
      list(APPEND bad "${f}")
    endif()
  endforeach()
  if(bad)
    message(FATAL_ERROR "drawn artwork differs from the committed files: ${bad} "
                        "(fresh copies in ${OUT_DIR}; run scripts/make-art.py or make-alert-sound.py and review them)")
  endif()
  message(STATUS "artwork matches: ${art_files}")
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_custom_target(art
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make-art.py --root ${CMAKE_BINARY_DIR}/art
      COMMENT "Drawing the artwork into ${CMAKE_BINARY_DIR}/art"
      VERBATIM)
    if(TESSALY_TESTS)
      enable_testing()
      add_test(NAME art_reproducible
        COMMAND ${CMAKE_COMMAND} -DPYTHON=${Python3_EXECUTABLE} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
                -DOUT_DIR=${CMAKE_BINARY_DIR}/art-test -P ${CMAKE_CURRENT_LIST_FILE})
    endif()
  else()
    message(WARNING "python3 not found: the art_reproducible test is left out")
  endif()
endif()

