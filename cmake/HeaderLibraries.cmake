# nlohmann-json (the JSON of show --json and build) and CLI11 (the command lines of varokconfig-cli and
# verda-sim): header-only libraries from their Debian packages, as the targets nlohmann_json::nlohmann_json
# and CLI11::CLI11. A native build takes the packages' CMake files. A cross build must not search the
# build machine's /usr/include, where the host's C library lives too: it copies just the two folders from
# VAROK_HEADER_LIBRARY_DIR (set by cmake/mingw-w64.cmake) into the build tree and includes that copy.
if(VAROK_HEADER_LIBRARY_DIR)
  set(copy ${CMAKE_BINARY_DIR}/header-libraries)
  foreach(folder nlohmann CLI)
    if(NOT EXISTS ${VAROK_HEADER_LIBRARY_DIR}/${folder})
      message(FATAL_ERROR "No ${VAROK_HEADER_LIBRARY_DIR}/${folder}: apt-get install nlohmann-json3-dev libcli11-dev")
    endif()
    file(COPY ${VAROK_HEADER_LIBRARY_DIR}/${folder} DESTINATION ${copy})
  endforeach()
  # Imported targets' folders are system folders: the libraries' own warnings stay out of ours.
  foreach(target nlohmann_json::nlohmann_json CLI11::CLI11)
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${copy})
  endforeach()
else()
  find_package(nlohmann_json 3.11 REQUIRED)
  find_package(CLI11 2.1 REQUIRED)
endif()
