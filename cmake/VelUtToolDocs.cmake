# The tool's man page and bash completion. The man page is written at build
# time from the tool's own help (`velut --help` and each command's
# `--help`), and the completion asks the tool for its commands and options
# when it completes, so neither keeps a copy of the command list.
if(CMAKE_CROSSCOMPILING)
  message(STATUS "velut.1 needs the tool to run: not made when cross-compiling")
  return()
endif()

find_program(VELUT_GZIP gzip REQUIRED)
set(_velut_man ${PROJECT_BINARY_DIR}/velut.1)
add_custom_command(
  OUTPUT ${_velut_man} ${_velut_man}.gz
  COMMAND ${PROJECT_SOURCE_DIR}/packaging/velut-man-page.sh $<TARGET_FILE:velut>
          ${PROJECT_VERSION} ${CMAKE_INSTALL_FULL_DATADIR}/velut/example ${_velut_man}
  COMMAND ${VELUT_GZIP} -9nfk ${_velut_man}
  DEPENDS velut ${PROJECT_SOURCE_DIR}/packaging/velut-man-page.sh
  COMMENT "Writing the man page velut.1 from the tool's help"
  VERBATIM)
add_custom_target(velut_man_page ALL DEPENDS ${_velut_man} ${_velut_man}.gz)
install(FILES ${_velut_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velut.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME velut COMPONENT tool)
