# The install step of the examples (component programs), run by
# cmake_install.cmake; cmake/install.cmake sets ppt_source and
# ppt_examples_dir (the folder they go to, from the prefix). The examples as
# committed, without examples/run (which builds the source tree) and the
# .gitignore files.
include(${ppt_source}/cmake/committed.cmake)
ppt_committed(ppt_files examples)
if(IS_ABSOLUTE ${ppt_examples_dir})
  set(ppt_to ${ppt_examples_dir})
else()
  set(ppt_to ${CMAKE_INSTALL_PREFIX}/${ppt_examples_dir})
endif()
foreach(ppt_file IN LISTS ppt_files)
  if(ppt_file STREQUAL "examples/run" OR ppt_file MATCHES "(^|/)\\.gitignore$")
    continue()
  endif()
  get_filename_component(ppt_dir ${ppt_file} DIRECTORY)
  string(REGEX REPLACE "^examples/?" "" ppt_dir "${ppt_dir}")
  file(INSTALL DESTINATION ${ppt_to}/${ppt_dir} TYPE FILE FILES ${ppt_source}/${ppt_file}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
