# The hardening a distribution expects of its programs: stack protector, read-only relocations bound
# at start, and the checked variants of the C library's buffer functions. Left out of the sanitizer and
# fuzzing builds (the sanitizers bring their own checks and the checked variants hide calls from them)
# and of Windows builds. The checked variants need optimisation: only the optimised build types get them.
if(WIN32 OR VAROK_SANITIZE OR VAROK_FUZZ)
  return()
endif()
add_compile_options(-fstack-protector-strong
                    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(LINKER:-z,relro,-z,now)
