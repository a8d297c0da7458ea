# The Windows download (make windows): pedprep-VERSION-win64.zip holding pedprep-VERSION/
# with pedprep.exe (stripped), README.txt, the manual as text (pedprep.txt), the example's
# input files and libcsv's licence, text files with CR LF line ends.
set(PEDPREP_ZIP ${CMAKE_BINARY_DIR}/pedprep-${PROJECT_VERSION}-win64.zip)
add_custom_command(
  OUTPUT ${PEDPREP_ZIP}
  COMMAND sh ${CMAKE_SOURCE_DIR}/tools/windows-zip.sh ${CMAKE_SOURCE_DIR} $<TARGET_FILE:pedprep>
          ${PEDPREP_DOC_DIR}/pedprep.1 ${CMAKE_STRIP} ${PEDPREP_ZIP}
  DEPENDS pedprep pedprep_docs ${CMAKE_SOURCE_DIR}/tools/windows-zip.sh
          ${CMAKE_SOURCE_DIR}/README.md
  COMMENT "Packing pedprep-${PROJECT_VERSION}-win64.zip"
  VERBATIM)
add_custom_target(pedprep_zip DEPENDS ${PEDPREP_ZIP})
