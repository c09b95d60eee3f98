# Run by cpack before it installs what it packs (CPACK_INSTALL_SCRIPTS): a
# package is made of committed files only, so a checkout whose tree differs
# from its last commit (a changed file, or one that git neither tracks nor
# ignores) is refused, with the list. Outside a checkout there is nothing to
# compare. CPACK_PPT_SOURCE_DIR is the top of the source tree. A package made
# to test the build, never to ship (tests/run-windows), may say so with
# `cpack -D CPACK_PPT_CHANGES_ALLOWED=ON`: the list is then a warning.
set(ppt_source ${CPACK_PPT_SOURCE_DIR})
if(NOT EXISTS ${ppt_source}/.git)
  return()
endif()
find_program(ppt_git git)
if(NOT ppt_git)
  message(FATAL_ERROR "git is needed to package a checkout: only committed files are packaged "
    "(Debian package git)")
endif()
execute_process(COMMAND ${ppt_git} -c core.quotepath=off status --porcelain --untracked-files=all
  WORKING_DIRECTORY ${ppt_source} OUTPUT_VARIABLE ppt_changes RESULT_VARIABLE ppt_failed)
if(NOT ppt_failed EQUAL 0)
  message(FATAL_ERROR "git cannot tell the state of ${ppt_source} (a checkout of another user's: "
    "git config --global --add safe.directory ${ppt_source})")
endif()
if(NOT ppt_changes STREQUAL "")
  string(REGEX REPLACE "\n$" "" ppt_changes "${ppt_changes}")
  string(REPLACE "\n" "\n  " ppt_changes "  ${ppt_changes}")
  if(CPACK_PPT_CHANGES_ALLOWED)
    message(WARNING "${ppt_source} differs from its last commit (git status), packaged for a test only:\n"
      "${ppt_changes}")
  else()
    message(FATAL_ERROR "${ppt_source} differs from its last commit (git status):\n${ppt_changes}\n"
      "The packages are made of committed files only: commit, stash or remove these first.")
  endif()
endif()
