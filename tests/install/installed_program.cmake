# Installs the build into a scratch prefix and uses it as a user would: every program started by name through
# PATH from a folder of its own, the user's folders by the XDG defaults under a scratch HOME.
#   cmake -DBUILD=<build tree> -DSOURCE=<source tree> -DWORK=<scratch folder> -P installed_program.cmake
file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
set(home "${WORK}/home")
file(MAKE_DIRECTORY "${WORK}/elsewhere" "${home}" "${WORK}/runtime")
file(CHMOD "${WORK}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()

set(ENV{PATH} "${prefix}/bin:$ENV{PATH}")
set(ENV{HOME} "${home}")
set(ENV{XDG_RUNTIME_DIR} "${WORK}/runtime")
set(ENV{QT_QPA_PLATFORM} offscreen)
# Bank messages shown while the window is not in front would reach the tester's desktop notifications.
set(ENV{DBUS_SESSION_BUS_ADDRESS} "unix:path=${WORK}/runtime/no-bus")
foreach(variable XDG_DATA_HOME XDG_STATE_HOME OSTREVAN_CONFIG_DIR OSTREVAN_REGISTRY OSTREVAN_PLATFORM_TYPE)
  unset(ENV{${variable}})
endforeach()
set(folder "${home}/.local/share/ostrevan")
set(marker "${home}/.local/state/ostrevan/registry/Software/Corsendor/Quillantora/reinstall_flag")

# run(NAME STATUS args...): runs an installed program by name from another folder; its output in `out`.
function(run name expected)
  execute_process(COMMAND ${name} ${ARGN} WORKING_DIRECTORY "${WORK}/elsewhere"
    RESULT_VARIABLE status OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  message("$ ${name} ${ARGN}\n${stdout}${stderr}")
  if(NOT status STREQUAL "${expected}")
    message(FATAL_ERROR "${name} ended with ${status}, expected ${expected}")
  endif()
  set(out "${stdout}${stderr}" PARENT_SCOPE)
endfunction()

function(expect_output regex)
  if(NOT out MATCHES "${regex}")
    message(FATAL_ERROR "the output does not say: ${regex}")
  endif()
endfunction()

# Each program speaks for itself, in Russian; a bad option is status 2.
foreach(program ostrevan ostrevan-cfg ostrevan-modem)
  run(${program} 0 --help)
  expect_output("Использование")
  run(${program} 0 --version)
  expect_output("^${program} [0-9]+\\.[0-9]+\\.[0-9]+\n$")
  run(${program} 2 --no-such-option)
endforeach()

# The bank's script brought in by the installed tool; the first start asks for a new PIN and sends a request.
run(ostrevan-cfg 0 install "${prefix}/share/ostrevan/demo/config.cfg")
expect_output("Сценарий банка установлен: ${folder}/config.cfg")
file(COPY "${prefix}/share/ostrevan/demo/logo.png" DESTINATION "${folder}")
run(ostrevan 0 --scenario "${SOURCE}/tests/install/first_start.txt")
expect_output("== форма \"Задать новый пин-код\"")
expect_output(">> SMS на [^\n]*BAL 5555444433332222")
if(NOT EXISTS "${folder}/settings.cfg")
  message(FATAL_ERROR "no settings.cfg in ${folder}")
endif()

# A changed script (one menu entry renamed) installed over the user's settings: the marker is set, the settings stay.
file(READ "${SOURCE}/resources/demo/bank.xml" xml)
string(REPLACE "<Name>Баланс</Name>" "<Name>Остаток</Name>" xml "${xml}")
file(WRITE "${WORK}/changed.xml" "${xml}")
run(ostrevan-cfg 0 compile "${WORK}/changed.xml" -o "${WORK}/changed.cfg")
file(SHA256 "${folder}/settings.cfg" settings_before)
run(ostrevan-cfg 0 install "${WORK}/changed.cfg")
expect_output("метка переустановки")
file(SHA256 "${folder}/settings.cfg" settings_after)
if(NOT EXISTS "${marker}" OR NOT settings_before STREQUAL settings_after)
  message(FATAL_ERROR "the install did not set ${marker}, or it touched settings.cfg")
endif()
run(ostrevan 0 --scenario "${SOURCE}/tests/install/after_reinstall.txt")
expect_output(">> SMS на [^\n]*BAL 5555444433332222")
if(EXISTS "${marker}")
  message(FATAL_ERROR "the start did not take the reinstall marker")
endif()

# The demo in a folder of its own: the user's settings untouched.
file(SHA256 "${folder}/settings.cfg" settings_before)
run(ostrevan 0 --demo --scenario "${SOURCE}/tests/install/demo.txt" --screenshots "${WORK}/screenshots")
expect_output("== форма \"Задать новый пин-код\"")
file(SHA256 "${folder}/settings.cfg" settings_after)
foreach(file config.cfg logo.png bank-rules.txt settings.cfg)
  if(NOT EXISTS "${folder}/demo/${file}")
    message(FATAL_ERROR "the demo's folder has no ${file}")
  endif()
endforeach()
if(NOT settings_before STREQUAL settings_after)
  message(FATAL_ERROR "the demo touched the user's settings")
endif()

# What the desktop reads: validated as the distributions validate it; the icon at every size; the manual pages.
set(id org.ostrevan.Ostrevan)
run(desktop-file-validate 0 "${prefix}/share/applications/${id}.desktop")
run(appstreamcli 0 validate --no-net "${prefix}/share/metainfo/${id}.metainfo.xml")
foreach(file icons/hicolor/scalable/apps/${id}.svg icons/hicolor/48x48/apps/${id}.png
             icons/hicolor/64x64/apps/${id}.png icons/hicolor/128x128/apps/${id}.png
             icons/hicolor/256x256/apps/${id}.png man/man1/ostrevan.1 man/man1/ostrevan-cfg.1
             man/man1/ostrevan-modem.1)
  if(NOT EXISTS "${prefix}/share/${file}")
    message(FATAL_ERROR "not installed: share/${file}")
  endif()
endforeach()
