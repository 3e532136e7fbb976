# tvl_add_test(NAME SOURCES... [LIBS ...] [WINDOW])
# One test executable, one ctest entry. Under the cross builds ctest runs it
# through CMAKE_CROSSCOMPILING_EMULATOR (Wine). WINDOW marks tests that need
# an X display; scripts/test.sh provides one for the whole run.
function(tvl_add_test name)
  cmake_parse_arguments(T "WINDOW" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  if(T_WINDOW)
    set_tests_properties(${name} PROPERTIES LABELS window)
  endif()
endfunction()

# Windows programs: GUI subsystem, wWinMain entry, resources compiled by windres.
function(tvl_add_program name)
  add_executable(${name} WIN32 ${ARGN})
  target_link_options(${name} PRIVATE -municode)
endfunction()
