# varok_man_page(TARGET DESCRIPTION [COMMANDS]): the program's manual page, made at build time from
# its --help by help2man and installed in section 1 compressed as a distribution ships it (gzip -n -9:
# no name or time stamp, so the same page gives the same bytes); with COMMANDS also from each command's
# --help. Left out where the program cannot run here (a cross build), in sanitizer builds (never
# installed) and without help2man (a note says so).
find_program(VAROK_HELP2MAN help2man)
find_program(VAROK_GZIP gzip)
if(NOT VAROK_HELP2MAN AND NOT WIN32)
  message(STATUS "help2man not found: no manual pages (apt-get install help2man)")
endif()
function(varok_man_page target description)
  if(NOT VAROK_HELP2MAN OR NOT VAROK_GZIP OR WIN32 OR CMAKE_CROSSCOMPILING OR VAROK_SANITIZE)
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
  set(commands)
  set(include)
  if(ARGN STREQUAL "COMMANDS")
    set(include ${CMAKE_BINARY_DIR}/man/${target}-commands.h2m)
    set(commands COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DOUT=${include}
                 -P ${PROJECT_SOURCE_DIR}/cmake/ManCommands.cmake)
    set(include --include=${include})
  endif()
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    ${commands}
    COMMAND ${VAROK_HELP2MAN} --no-info --locale=C.UTF-8 --section=1 --version-string=${PROJECT_VERSION} ${include}
            "--name=${description}" --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${VAROK_GZIP} -n -9 -f ${page}
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/ManCommands.cmake
    COMMENT "Manual page ${target}.1"
    VERBATIM)
  add_custom_target(${target}_man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
