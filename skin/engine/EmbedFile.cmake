# Turns a file into a C++ source that defines its bytes, at build time, so that
# generated arrays never sit in the repository.
#
#   quorlin_embed_file(OUTPUT <cpp> INPUT <file> NAME <symbol> [NAMESPACE <ns>]
#                      DEPENDS <targets or files...>)
#
# The source defines `extern const unsigned char <symbol>[]` and
# `extern const std::size_t <symbol>_size`, inside <ns> when one is given.
# INPUT may be a generator expression such as $<TARGET_FILE:tgt>.
function(quorlin_embed_file)
  cmake_parse_arguments(ARG "" "OUTPUT;INPUT;NAME;NAMESPACE" "DEPENDS" ${ARGN})
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${ARG_INPUT} -DOUTPUT=${ARG_OUTPUT} -DNAME=${ARG_NAME}
            -DNAMESPACE=${ARG_NAMESPACE} -P ${script}
    DEPENDS ${ARG_INPUT} ${ARG_DEPENDS} ${script}
    COMMENT "Embedding ${ARG_NAME}"
    VERBATIM)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${INPUT} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # One line per 32 bytes keeps the source readable in an editor.
  string(REPEAT "0x[0-9a-f][0-9a-f]," 32 line)
  string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
  get_filename_component(input_name ${INPUT} NAME)
  if(NAMESPACE)
    set(open "namespace ${NAMESPACE} {\n")
    set(close "}  // namespace ${NAMESPACE}\n")
  endif()
  # An empty file still needs one element: a zero-length array is not C++.
  if(size EQUAL 0)
    set(bytes "0")
  endif()
  file(WRITE ${OUTPUT}.tmp
       "// Generated at build time from ${input_name}.\n#include <cstddef>\n${open}"
       "extern const unsigned char ${NAME}[] = {\n${bytes}};\n"
       "extern const std::size_t ${NAME}_size = ${size};\n${close}")
  file(RENAME ${OUTPUT}.tmp ${OUTPUT})
endif()
