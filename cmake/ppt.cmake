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
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(ARG_BANNER)
    ppt_banner(${name} ${ARG_BANNER})
  endif()
endfunction()

# ppt_test(<name> <sources>...): a GoogleTest executable registered with CTest.
# End-to-end tests find the programs in bin/ and the sources for their data.
function(ppt_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE e2e_harness toolkit GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
