# tvl_add_test(NAME SOURCES... [LIBS ...] [WINDOW] [ENGLISH gtest-filter])
# One test executable, one ctest entry. Under the cross builds ctest runs it
# through CMAKE_CROSSCOMPILING_EMULATOR (Wine). WINDOW marks tests that need
# an X display; scripts/test.sh provides one for the whole run. Tests run
# with the Japanese interface; ENGLISH adds NAME_en, the cases of the filter
# run again with the English one.
function(tvl_add_test name)
  cmake_parse_arguments(T "WINDOW" "ENGLISH" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  tvl_set_ui_language(${name} ja_JP.UTF-8)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  if(T_ENGLISH)
    add_test(NAME ${name}_en COMMAND ${name} --gtest_filter=${T_ENGLISH})
    tvl_set_ui_language(${name}_en en_US.UTF-8)
    set_tests_properties(${name}_en PROPERTIES TIMEOUT 300)
  endif()
  if(T_WINDOW)
    set_tests_properties(${name} PROPERTIES LABELS window)
    if(T_ENGLISH)
      set_tests_properties(${name}_en PROPERTIES LABELS window)
    endif()
  endif()
endfunction()

# The interface language a test runs with: natively through LC_MESSAGES,
# under Wine through scripts/wine-run.sh.
function(tvl_set_ui_language test locale)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "TVL_UI_LOCALE=${locale}")
  else()
    set_tests_properties(${test} PROPERTIES ENVIRONMENT_MODIFICATION "LC_ALL=unset:;LC_MESSAGES=set:${locale}")
  endif()
endfunction()

# Windows programs: GUI subsystem, wWinMain entry, resources compiled by windres.
function(tvl_add_program name)
  add_executable(${name} WIN32 ${ARGN})
  target_link_options(${name} PRIVATE -municode)
  # Sections at page boundaries in the file too: Wine then maps the program
  # instead of reading all of it into memory, and only the pages in use are
  # resident. A release program carries no debug sections (the static
  # runtime brings its own): less to download and to map.
  target_link_options(${name} PRIVATE -Wl,--file-alignment,0x1000 $<$<CONFIG:Release>:-s>)
endfunction()

# tvl_add_texts(CORE_TARGET DIR): the program's texts (DIR/texts.inc) linked into
# everything that links CORE_TARGET: its string tables (DIR/win32/texts.rc) in
# the Windows builds, its own native table natively, so that the programs and
# every test find the same texts. Linked as objects, never dropped from a library.
function(tvl_add_texts core dir)
  set(texts ${core}_texts)
  file(RELATIVE_PATH list ${CMAKE_SOURCE_DIR} ${dir}/texts.inc)
  if(WIN32)
    add_library(${texts} OBJECT ${dir}/win32/texts.rc)
    set_source_files_properties(${dir}/win32/texts.rc PROPERTIES
      OBJECT_DEPENDS "${dir}/texts.inc;${CMAKE_SOURCE_DIR}/common/win32/string_tables.rc")
  else()
    add_library(${texts} OBJECT ${CMAKE_SOURCE_DIR}/common/text_table_native.cpp)
    target_compile_definitions(${texts} PRIVATE "TVL_TEXTS=\"${list}\"")
  endif()
  target_include_directories(${texts} PRIVATE ${CMAKE_SOURCE_DIR})
  target_sources(${core} INTERFACE $<TARGET_OBJECTS:${texts}>)
endfunction()

# tvl_add_texts_test(NAME LIST...): checks the text lists linked into one
# program (each a texts.inc, named from the source root), as its string
# tables are made from them. The test's source names no program's list.
function(tvl_add_texts_test name)
  tvl_add_test(${name} SOURCES ${CMAKE_SOURCE_DIR}/common/tests/support/texts_test.cpp)
  set(i 1)
  foreach(list ${ARGN})
    target_compile_definitions(${name} PRIVATE "TVL_TEXTS_${i}=\"${list}\"")
    math(EXPR i "${i} + 1")
  endforeach()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()
