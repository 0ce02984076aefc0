# Installs the build into a fresh prefix and checks that the program, its
# help, example, menu entry, file type and icon are where a desktop expects
# them, and that the menu entry is valid.
set(Prefix ${BUILD}/install-test)
file(REMOVE_RECURSE ${Prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${Prefix}
                RESULT_VARIABLE Result OUTPUT_QUIET)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${Result}")
endif()
foreach(File bin/korvant share/korvant/korvant-help.html share/korvant/examples/construction.kcrct
             share/applications/korvant.desktop share/mime/packages/korvant.xml
             share/icons/hicolor/scalable/apps/korvant.svg)
  if(NOT EXISTS ${Prefix}/${File})
    message(FATAL_ERROR "${File} is not installed")
  endif()
endforeach()
file(READ ${Prefix}/share/mime/packages/korvant.xml Mime)
if(NOT Mime MATCHES "\\*\\.kcrct" OR NOT Mime MATCHES "Схема сетевого графика")
  message(FATAL_ERROR "the file type does not name *.kcrct")
endif()
find_program(Validate desktop-file-validate)
if(Validate)
  execute_process(COMMAND ${Validate} ${Prefix}/share/applications/korvant.desktop
                  RESULT_VARIABLE Result OUTPUT_VARIABLE Out ERROR_VARIABLE Out)
  if(NOT Result EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate: ${Out}")
  endif()
endif()
file(REMOVE_RECURSE ${Prefix})
