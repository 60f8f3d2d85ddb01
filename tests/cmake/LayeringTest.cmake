# Runs the configure-time layering check on small trees of one file each: an include
# that climbs a layer must be refused, one that goes down or sideways where allowed must
# pass. cmake -DLAYERING=cmake/Layering.cmake -DWORK=<scratch folder> -P LayeringTest.cmake
cmake_minimum_required(VERSION 3.22)
include(${LAYERING})

set(failures "")
# in_file: a path inside src/; in_include: what it includes; in_expected: PASS or REFUSE.
function(expect in_expected in_file in_include)
  file(REMOVE_RECURSE ${WORK})
  file(WRITE ${WORK}/src/${in_file} "#include <vector>\n#include \"${in_include}\"\n")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DLAYERING=${LAYERING} -DSRC=${WORK}/src -P ${CMAKE_CURRENT_LIST_FILE}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if((in_expected STREQUAL "PASS") EQUAL (result EQUAL 0))
    return()
  endif()
  set(failures "${failures}\n  ${in_file} including ${in_include}: expected ${in_expected}"
      PARENT_SCOPE)
endfunction()

# Run as the check of one tree.
if(DEFINED SRC)
  quorlin_check_layering(${SRC})
  return()
endif()

expect(REFUSE bank/SysExData.cpp midi/MidiManager.h)
expect(REFUSE mks80/Parameters.h bank/SysExData.h)
expect(REFUSE platform/FileAccess.cpp platform/qt/QtPrompter.h)
expect(REFUSE midi/MidiManager.cpp ops/Operations.h)
expect(REFUSE ops/Operations.cpp dialogs/DialogHost.h)
expect(REFUSE dialogs/DialogEditName.cpp view/QuorlinView.h)
expect(REFUSE view/deep/inside/Panel.cpp app/Quorlin.h)
expect(REFUSE cli/main.cpp sim/Options.h)
expect(REFUSE sim/main.cpp platform/qt/QtEventLoop.h)
expect(PASS bank/SysExData.cpp mks80/Parameters.h)
expect(PASS platform/qt/QtPrompter.cpp platform/Prompter.h)
expect(PASS app/MainFrm.cpp view/CommandIds.h)
expect(PASS cli/main.cpp ops/Operations.h)
expect(PASS bank/SysExData.cpp sys/stat.h)
file(REMOVE_RECURSE ${WORK})
if(failures)
  message(FATAL_ERROR "The layering check went wrong:${failures}")
endif()
message(STATUS "layering check: every case as expected")
