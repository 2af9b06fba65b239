# Run at every build (cmake -P): writes OUT with the commit the sources were built from, "" outside
# a checkout of their own (a tarball, also one unpacked inside another repository). The file is only
# rewritten when the commit changes, so an unchanged checkout recompiles nothing.
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel WORKING_DIRECTORY ${SOURCE_DIR}
                  OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed)
    file(REAL_PATH "${top}" top)
    file(REAL_PATH "${SOURCE_DIR}" source)
  endif()
  if(NOT failed AND top STREQUAL source)
    execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --abbrev=12 --exclude=*
                    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
  endif()
endif()
file(WRITE ${OUT}.new "#pragma once\n#define VAROK_COMMIT \"${commit}\"\n")
configure_file(${OUT}.new ${OUT} COPYONLY)
file(REMOVE ${OUT}.new)
