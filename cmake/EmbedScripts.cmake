# Turns JavaScript files into one C++ header of string constants.
#
# As a function, at configure time:
#   ostrel_embed_scripts(<target> <header name> <file.js>...)
# adds a build step that writes <header name> into the target's binary
# folder (on its include path) whenever a script changes. Each file
# someName.js becomes
#   inline constexpr char kSomeName[] = R"ostreljs(<its text>)ostreljs";
# in namespace ostrel::scripts.
#
# As a script (cmake -P), it does the writing:
#   -DOUTPUT=<header> -DINPUTS=<file;file...>
if(CMAKE_SCRIPT_MODE_FILE)
  set(text "// Made at build time from the page scripts; do not edit.\n#pragma once\n\nnamespace ostrel::scripts {\n")
  foreach(input IN LISTS INPUTS)
    get_filename_component(stem ${input} NAME_WE)
    string(SUBSTRING ${stem} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${stem} 1 -1 rest)
    file(READ ${input} body)
    string(FIND "${body}" ")ostreljs\"" clash)
    if(NOT clash EQUAL -1)
      message(FATAL_ERROR "${input} holds the closing delimiter of the raw string")
    endif()
    string(APPEND text "\ninline constexpr char k${first}${rest}[] = R\"ostreljs(${body})ostreljs\";\n")
  endforeach()
  string(APPEND text "\n}  // namespace ostrel::scripts\n")
  # Written only when it changes, so nothing that includes it is rebuilt
  # for nothing.
  if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE ${OUTPUT} "${text}")
  return()
endif()

set(OSTREL_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(ostrel_embed_scripts target header)
  set(inputs)
  foreach(file IN LISTS ARGN)
    list(APPEND inputs ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/generated/${header})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} "-DINPUTS=${inputs}" -P ${OSTREL_EMBED_SCRIPT}
    DEPENDS ${inputs} ${OSTREL_EMBED_SCRIPT}
    COMMENT "Embedding the page scripts in ${header}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
endfunction()
