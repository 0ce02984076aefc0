# Writes MS Project XML from the bundled examples and the sample files and
# validates each against Microsoft's interchange schema with xmllint. The
# schema is Microsoft's and does not ship with KORVANT: give its path as
# KORVANT_MSPDI_XSD (CMake cache or environment); without it, or without
# xmllint, the test is skipped.
if(NOT XSD)
  set(XSD "$ENV{KORVANT_MSPDI_XSD}")
endif()
find_program(Xmllint xmllint)
if(NOT Xmllint OR NOT XSD OR NOT EXISTS "${XSD}")
  message("SKIPPED: needs xmllint and KORVANT_MSPDI_XSD (mspdi_pj12.xsd or later)")
  return()
endif()

set(Work ${BUILD}/mspdi-schema-test)
file(REMOVE_RECURSE ${Work})
file(MAKE_DIRECTORY ${Work})
file(GLOB Inputs ${SOURCE}/examples/*.kcrct)
list(APPEND Inputs ${SOURCE}/tests/exchange/data/project.xml
     ${SOURCE}/tests/exchange/data/works-utf8.csv)

foreach(Input ${Inputs})
  get_filename_component(Name ${Input} NAME)
  set(Out ${Work}/${Name}.xml)
  execute_process(COMMAND ${KORVANT} --convert ${Input} ${Out}
                  RESULT_VARIABLE Result ERROR_VARIABLE Err)
  if(NOT Result EQUAL 0)
    message(FATAL_ERROR "korvant --convert ${Name} failed (${Result}): ${Err}")
  endif()
  execute_process(COMMAND ${Xmllint} --noout --schema ${XSD} ${Out}
                  RESULT_VARIABLE Result OUTPUT_VARIABLE Log ERROR_VARIABLE Log)
  if(NOT Result EQUAL 0)
    message(FATAL_ERROR "${Name}: MS Project XML out does not conform:\n${Log}")
  endif()
endforeach()
file(REMOVE_RECURSE ${Work})
