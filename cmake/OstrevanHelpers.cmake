include(GoogleTest)

# ostrevan_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value...])
# One test program per group of related tests. Each of its test cases is its own CTest entry, named
# NAME.Suite.Case, so that `ctest -R NAME` runs the program's cases and `ctest -R Suite.Case` one of them.
function(ostrevan_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # The environment is given by running the program through `cmake -E env`, so that it holds for listing
  # the cases (which runs the program when CTest starts) as well as for each case.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-E;env;OSTREVAN_SOURCE_DIR=${PROJECT_SOURCE_DIR};OSTREVAN_BINARY_DIR=${PROJECT_BINARY_DIR};${ARG_ENV}")
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300)
endfunction()

# ostrevan_add_qtest(NAME SOURCES a.cpp LIBS lib1)
# A QTest program, run on the offscreen platform so that no display is needed, and with a session bus address
# that leads nowhere, so that the program's desktop notifications stay out of the tester's desktop.
function(ostrevan_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ostrevan-no-bus;OSTREVAN_SOURCE_DIR=${PROJECT_SOURCE_DIR};OSTREVAN_BINARY_DIR=${PROJECT_BINARY_DIR};${ARG_ENV}"
    TIMEOUT 300)
endfunction()

# ostrevan_add_fuzzer(NAME SOURCE target.cpp LIBS lib1 lib2)
# With OSTREVAN_FUZZ the target is a libFuzzer program NAME; always it is also a replay program
# NAME_replay, which CTest runs over fuzz/corpus/NAME so that every seed stays a regression test.
function(ostrevan_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE" "LIBS" ${ARGN})
  set(corpus "${PROJECT_SOURCE_DIR}/fuzz/corpus/${name}")
  if(OSTREVAN_FUZZ)
    add_executable(${name} ${ARG_SOURCE})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endif()
  add_executable(${name}_replay ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
  if(OSTREVAN_TESTS AND EXISTS "${corpus}")
    add_test(NAME fuzz_replay_${name} COMMAND ${name}_replay "${corpus}")
    set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# ostrevan_add_folders(FOLDERS a b ... [QT_ONLY c ...])
# Adds each folder below the current one; the QT_ONLY ones are left out of builds without Qt (the fuzz build).
# A folder named that has no CMakeLists.txt stops the configure, rather than vanishing with its tests.
function(ostrevan_add_folders)
  cmake_parse_arguments(ARG "" "" "FOLDERS;QT_ONLY" ${ARGN})
  foreach(dir IN LISTS ARG_FOLDERS)
    if(NOT EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt does not exist: "
                          "remove ${dir} from the list or add the folder")
    endif()
    if(NOT OSTREVAN_GUI AND dir IN_LIST ARG_QT_ONLY)
      continue()
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()
