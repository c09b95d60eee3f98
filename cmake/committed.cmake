# ppt_committed(<variable> <folder>): the files under <folder> (a path from
# the top of the source tree) that git's index holds, as paths from the top,
# so that what a run left in the folder (outputs, logs, pictures) is never
# installed. Outside a checkout (a source archive) the folder's files as
# they lie. For the install steps (cmake/install-*.cmake): needs ppt_source.
function(ppt_committed variable folder)
  if(EXISTS ${ppt_source}/.git)
    find_program(ppt_git git)
    if(NOT ppt_git)
      message(FATAL_ERROR "git is needed to install from a checkout: only committed files are installed "
        "(Debian package git)")
    endif()
    execute_process(COMMAND ${ppt_git} -c core.quotepath=off ls-files -- ${folder}
      WORKING_DIRECTORY ${ppt_source} OUTPUT_VARIABLE files RESULT_VARIABLE failed)
    if(NOT failed EQUAL 0)
      message(FATAL_ERROR "git cannot list the files of ${ppt_source}/${folder} (a checkout of another user's: "
        "git config --global --add safe.directory ${ppt_source})")
    endif()
    string(STRIP "${files}" files)
    string(REPLACE "\n" ";" files "${files}")
  else()
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${ppt_source} ${ppt_source}/${folder}/*)
    # Python's caches are the machine's, never the source's.
    list(FILTER files EXCLUDE REGEX "(^|/)__pycache__/")
  endif()
  set(${variable} ${files} PARENT_SCOPE)
endfunction()
