# Run by CPack on the staged files (CPACK_PRE_BUILD_SCRIPTS), after CPACK_STRIP_FILES: drops
# the .comment and .note sections a plain strip keeps, as Debian's dh_strip does.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(
    COMMAND "${CPACK_PALVARIN_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
endforeach()
