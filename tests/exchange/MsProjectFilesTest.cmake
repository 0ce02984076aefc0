# Reads files that MS Project saved itself and checks that every task MS
# Project placed by its links alone starts after import exactly where MS
# Project started it (bench/check_msp_files.py). The files belong to other
# projects and do not ship with KORVANT: give their directory as
# KORVANT_MSP_FILES (CMake cache or environment); without it, or without
# python3, the test is skipped.
if(NOT FILES)
  set(FILES "$ENV{KORVANT_MSP_FILES}")
endif()
find_program(Python python3)
if(NOT Python OR NOT FILES OR NOT IS_DIRECTORY "${FILES}")
  message("SKIPPED: needs python3 and KORVANT_MSP_FILES (a directory of MS Project XML files)")
  return()
endif()
execute_process(COMMAND ${Python} ${SOURCE}/bench/check_msp_files.py ${KORVANT} ${FILES}
                RESULT_VARIABLE Result OUTPUT_VARIABLE Log ERROR_VARIABLE Log)
message("${Log}")
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "a file was refused or a task starts elsewhere than in MS Project")
endif()
