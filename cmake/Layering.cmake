# The layers of src/, lowest first, and what each may include. Every layer sees the whole
# src folder on its include path, so a lower layer that included a higher one would close
# a circle the linker may not notice: the configure step refuses it.
#
#   platform < mks80 < bank < midi < ops                the core, plain C++
#   ops < platform/qt < dialogs < view < app            the desktop program
#   ops < cli,  ops < sim                               beside the desktop program
#
# A layer may include itself and every layer below it. A folder that does not exist yet
# has no files and so passes.

# The layer a path inside src/ belongs to (the longest layer folder it starts with), or
# an empty string.
function(_quorlin_layer_of out_layer path)
  set(found "")
  foreach(layer ${ARGN})
    string(FIND "${path}" "${layer}/" at)
    string(LENGTH "${layer}" length)
    string(LENGTH "${found}" best)
    if(at EQUAL 0 AND length GREATER best)
      set(found ${layer})
    endif()
  endforeach()
  set(${out_layer} "${found}" PARENT_SCOPE)
endfunction()

function(quorlin_check_layering src)
  set(core platform mks80 bank midi ops)
  set(gui platform/qt dialogs view app)
  set(layers ${core} ${gui} cli sim)
  set(below "")
  foreach(layer ${core} ${gui})
    list(APPEND below ${layer})
    string(MAKE_C_IDENTIFIER "${layer}" id)
    set(may_${id} ${below})
  endforeach()
  set(may_cli ${core} cli)
  set(may_sim ${core} sim)

  set(refused "")
  file(GLOB_RECURSE files ${src}/*.h ${src}/*.hpp ${src}/*.cpp)
  foreach(file ${files})
    file(RELATIVE_PATH relative ${src} ${file})
    _quorlin_layer_of(layer "${relative}" ${layers})
    if(NOT layer)
      continue()
    endif()
    string(MAKE_C_IDENTIFIER "${layer}" id)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" path
             "${line}")
      _quorlin_layer_of(target "${path}" ${layers})
      if(target AND NOT target IN_LIST may_${id})
        list(APPEND refused "  src/${relative} includes ${path}: ${layer}/ may not include ${target}/")
      endif()
    endforeach()
  endforeach()

  if(refused)
    list(JOIN refused "\n" text)
    message(FATAL_ERROR "An include climbs a layer:\n${text}")
  endif()
endfunction()
