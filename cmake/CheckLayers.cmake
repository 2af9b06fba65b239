# Run as a script (cmake -P) at build time: fails when a file of FOLDER includes a header of a
# core folder that is not FOLDER itself or one of ALLOWED (the folders below it).
# Arguments: -DFOLDER=<name> -DALLOWED=<a;b;c> -DROOT=<core source dir> -DALL=<every core folder>
#            -DSTAMP=<file written when the check passes>
cmake_minimum_required(VERSION 3.25)
file(GLOB files ${ROOT}/${FOLDER}/*.h ${ROOT}/${FOLDER}/*.cpp)
set(violations)
foreach(path IN LISTS files)
  file(STRINGS ${path} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z]+)/.*" "\\1" used "${line}")
    if(used IN_LIST ALL AND NOT used STREQUAL FOLDER AND NOT used IN_LIST ALLOWED)
      get_filename_component(name ${path} NAME)
      list(APPEND violations "${FOLDER}/${name} includes ${used}/, which the layers do not allow")
    endif()
  endforeach()
endforeach()
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Layering:\n  ${text}")
endif()
file(WRITE ${STAMP} "")
