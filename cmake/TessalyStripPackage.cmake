# Run by CPack on the staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS): strips the
# programs as Debian's own packages are stripped, the compiler's .comment and .note sections too.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/*)
if(NOT programs)
  message(FATAL_ERROR "no programs staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
