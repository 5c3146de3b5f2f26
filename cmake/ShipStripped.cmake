# vq_ship_stripped(TARGET): the program folder gets the program without its
# debug information, which stays in the build folder (build/symbols/
# <file>.debug, named in the program's .gnu_debuglink for a debugger). The
# debug sections are most of a program's bytes, and the loader would map
# them at every start for nothing.
function(vq_ship_stripped target)
  set(symbols "${CMAKE_BINARY_DIR}/symbols")
  set(debug "${symbols}/$<TARGET_FILE_NAME:${target}>.debug")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${symbols}"
    COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${target}>" "${debug}"
    COMMAND "${CMAKE_OBJCOPY}" --strip-debug "--add-gnu-debuglink=${debug}" "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()
