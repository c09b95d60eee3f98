# The install step of the Python side (component python), run by
# cmake_install.cmake once the prefix is known; cmake/install.cmake sets the
# ppt_* variables. Installs the package pptools (and the core library of the
# package, where it is built) into the interpreter's package folder for the
# prefix, and ppt-convert and ppt-preview with the path to it written in.

if(ppt_python_dir STREQUAL "")
  execute_process(
    COMMAND ${ppt_python} ${ppt_source}/cmake/python-dir.py ${CMAKE_INSTALL_PREFIX}
    OUTPUT_VARIABLE ppt_python_dir OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE ppt_status ERROR_QUIET)
  if(NOT ppt_status EQUAL 0 OR ppt_python_dir STREQUAL "")
    # Debian's folder: the wrappers still find the package there.
    set(ppt_python_dir lib/python3/dist-packages)
    message(WARNING "${ppt_python} cannot say where its packages go: the package pptools "
      "goes to ${CMAKE_INSTALL_PREFIX}/${ppt_python_dir}, which is on no Python path but Debian's")
  endif()
endif()
set(ppt_dir ${CMAKE_INSTALL_PREFIX}/${ppt_python_dir})

# The package's files as committed (cmake/committed.cmake).
include(${ppt_source}/cmake/committed.cmake)
ppt_committed(ppt_files python/pptools)
foreach(ppt_file IN LISTS ppt_files)
  get_filename_component(ppt_sub ${ppt_file} DIRECTORY)
  string(REGEX REPLACE "^python/?" "" ppt_sub "${ppt_sub}")
  file(INSTALL DESTINATION ${ppt_dir}/${ppt_sub} TYPE FILE FILES ${ppt_source}/${ppt_file}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
if(NOT ppt_core_file STREQUAL "")
  file(INSTALL DESTINATION ${ppt_dir}/pptools TYPE SHARED_LIBRARY FILES ${ppt_core_file})
  get_filename_component(ppt_core_name ${ppt_core_file} NAME)
  if(CMAKE_INSTALL_DO_STRIP AND NOT ppt_strip STREQUAL "")
    execute_process(COMMAND ${ppt_strip} --strip-unneeded
      "$ENV{DESTDIR}${ppt_dir}/pptools/${ppt_core_name}")
  endif()
endif()

if(IS_ABSOLUTE ${ppt_bindir})
  set(ppt_bin ${ppt_bindir})
else()
  set(ppt_bin ${CMAKE_INSTALL_PREFIX}/${ppt_bindir})
endif()
file(RELATIVE_PATH ppt_rel ${ppt_bin} ${ppt_dir})
foreach(ppt_pair IN ITEMS "ppt-convert:ppt-convert" "preview:ppt-preview")
  string(REPLACE ":" ";" ppt_pair ${ppt_pair})
  list(GET ppt_pair 0 ppt_from)
  list(GET ppt_pair 1 ppt_to)
  file(READ ${ppt_source}/tools/${ppt_from} ppt_text)
  string(REPLACE "\$here/../lib/python3/dist-packages" "\$here/${ppt_rel}" ppt_text "${ppt_text}")
  string(REPLACE "\$here/../share/pptools" "\$here/${ppt_preview_rel}" ppt_text "${ppt_text}")
  file(WRITE ${ppt_work}/${ppt_to} "${ppt_text}")
  file(INSTALL DESTINATION ${ppt_bin} TYPE PROGRAM FILES ${ppt_work}/${ppt_to})
endforeach()
