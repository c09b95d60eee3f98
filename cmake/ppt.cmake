# The banner texts with the version filled in; the tests read them here too.
set(PPT_BANNER_DIR ${CMAKE_BINARY_DIR}/banners)

# ppt_banner(<target> <plain text>): fills @PROJECT_VERSION@ into a program's
# plain banner text, generates the scrambled banner table from it and
# compiles the table into the target.
function(ppt_banner target plain)
  get_filename_component(name ${plain} NAME)
  set(text ${PPT_BANNER_DIR}/${name})
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/${plain} ${text} @ONLY)
  set(table ${CMAKE_CURRENT_BINARY_DIR}/${target}_banner.cpp)
  add_custom_command(
    OUTPUT ${table}
    COMMAND bannergen ${text} ${table}
    DEPENDS bannergen ${text}
    COMMENT "Scrambling banner ${plain}"
    VERBATIM)
  target_sources(${target} PRIVATE ${table})
endfunction()

# ppt_program(<name> BANNER <plain text> SOURCES <files>...): one of the
# suite's programs, linked with the toolkit, landing in bin/.
function(ppt_program name)
  cmake_parse_arguments(ARG "" "BANNER" "SOURCES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE toolkit)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PPT_BIN_DIR})
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
  if(ARG_BANNER)
    ppt_banner(${name} ${ARG_BANNER})
  endif()
endfunction()

# ppt_test(<name> LABEL <label> [PROGRAMS <programs>...] [LIBRARIES <libs>...]
#          [SOURCES <files>...] [PORTABLE <files>...]): a GoogleTest executable
# registered with CTest, its tests labelled (unit, e2e, hardening). PROGRAMS
# are the programs that its tests run or read, built before it. PORTABLE
# sources start no process and use no test harness: they are built into the
# native test as well as, in a cross build for Windows, into the one unit
# test executable that runs under the emulator (tests/windows), so that the
# list is kept here only. A cross build makes nothing else of a ppt_test.
function(ppt_test name)
  cmake_parse_arguments(ARG "" "LABEL" "PROGRAMS;LIBRARIES;SOURCES;PORTABLE" ${ARGN})
  if(NOT ARG_LABEL)
    message(FATAL_ERROR "ppt_test(${name}): LABEL missing")
  endif()
  if(CMAKE_CROSSCOMPILING)
    if(ARG_PORTABLE)
      list(TRANSFORM ARG_PORTABLE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
      set_property(GLOBAL APPEND PROPERTY PPT_PORTABLE_TEST_SOURCES ${ARG_PORTABLE})
      set_property(GLOBAL APPEND PROPERTY PPT_PORTABLE_TEST_LIBRARIES ${ARG_LIBRARIES})
    endif()
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES} ${ARG_PORTABLE})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} e2e_harness toolkit GTest::gtest GTest::gtest_main)
  if(ARG_PROGRAMS)
    add_dependencies(${name} ${ARG_PROGRAMS})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${ARG_LABEL})
endfunction()
