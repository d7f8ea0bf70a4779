# Runs one scenario in a fresh folder: cmake -DPROGRAM= -DSCENARIO= -DPLATFORM= -DCONFIG= -DWORK= -DSTATUS=
# [-DOUTPUT=regex] [-DHIDDEN=regex] [-DNO_SETTINGS=ON] -P run_scenario.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/state" "${WORK}/registry")
file(COPY "${CONFIG}/" DESTINATION "${WORK}/config")
file(MAKE_DIRECTORY "${WORK}/runtime")
file(CHMOD "${WORK}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{XDG_RUNTIME_DIR} "${WORK}/runtime")
set(ENV{XDG_STATE_HOME} "${WORK}/state")
set(ENV{QT_QPA_PLATFORM} offscreen)
# A bank message shown while the window is not in front goes to the desktop's notifications: not the tester's.
set(ENV{DBUS_SESSION_BUS_ADDRESS} "unix:path=${WORK}/runtime/no-bus")
execute_process(
  COMMAND "${PROGRAM}" --scenario "${SCENARIO}" --config-dir "${WORK}/config" --registry "${WORK}/registry"
          --platform-type "${PLATFORM}" --screenshots "${WORK}/screenshots"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "ended with ${status}, expected ${STATUS}")
endif()
if(OUTPUT AND NOT "${out}${err}" MATCHES "${OUTPUT}")
  message(FATAL_ERROR "the output does not say: ${OUTPUT}")
endif()
if(HIDDEN AND "${out}${err}" MATCHES "${HIDDEN}")
  message(FATAL_ERROR "the output shows what it must not: ${CMAKE_MATCH_0}")
endif()
if(NO_SETTINGS AND EXISTS "${WORK}/config/settings.cfg")
  message(FATAL_ERROR "the program ran: settings.cfg was written")
endif()
# Each screenshot the scenario takes is a picture in the folder given.
file(STRINGS "${SCENARIO}" shots REGEX "^screenshot ")
foreach(shot IN LISTS shots)
  string(REGEX REPLACE "^screenshot +([^ ]+).*" "\\1" name "${shot}")
  if(status STREQUAL "0" AND NOT EXISTS "${WORK}/screenshots/${name}.png")
    message(FATAL_ERROR "no screenshot ${name}.png")
  endif()
endforeach()
