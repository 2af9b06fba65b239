# Run at build time (cmake -P): writes OUT, a help2man include file with a COMMANDS section that
# holds each command's own help (usage, description, options) as PROGRAM prints it, so the manual
# page names every option. The line options and exit statuses are in the overview already.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE overview RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()
string(REGEX MATCH "\nCommands:\n([^\n]+\n)+" block "${overview}")
string(REGEX MATCHALL "\n  [a-z]+ " names "${block}")
set(text "[COMMANDS]\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  execute_process(COMMAND ${PROGRAM} ${name} --help OUTPUT_VARIABLE help RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${PROGRAM} ${name} --help failed")
  endif()
  string(REGEX REPLACE "\n(Line options|Exit status)[^\n]*:\n.*" "\n" help "${help}")
  string(REGEX REPLACE "\n+$" "\n" help "${help}")
  # Shown as printed: backslashes and leading dots and quotes would be read as formatting.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS ${name}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUT} "${text}")
