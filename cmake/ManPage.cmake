# varok_man_page(TARGET DESCRIPTION): the program's manual page, made at build time from its --help
# by help2man and installed in section 1. Left out where the program cannot run here (a cross
# build), in sanitizer builds (never installed) and without help2man (a note says so).
find_program(VAROK_HELP2MAN help2man)
if(NOT VAROK_HELP2MAN AND NOT WIN32)
  message(STATUS "help2man not found: no manual pages (apt-get install help2man)")
endif()
function(varok_man_page target description)
  if(NOT VAROK_HELP2MAN OR WIN32 OR CMAKE_CROSSCOMPILING OR VAROK_SANITIZE)
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${VAROK_HELP2MAN} --no-info --section=1 --version-string=${PROJECT_VERSION}
            "--name=${description}" --output=${page} $<TARGET_FILE:${target}>
    DEPENDS ${target}
    COMMENT "Manual page ${target}.1"
    VERBATIM)
  add_custom_target(${target}_man ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
