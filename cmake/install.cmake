# What `cmake --install` puts where. The programs install themselves
# (ppt_program in cmake/ppt.cmake); this file adds the rest.

if(WIN32)
  # The Windows zip: the programs in bin/, the README and the examples beside
  # them. The preview tool is a shell script and the manual pages need man.
  install(FILES README.md DESTINATION .)
  install(DIRECTORY examples/ DESTINATION examples
    PATTERN run EXCLUDE PATTERN .gitignore EXCLUDE)
  return()
endif()

# The preview tool as ppt-preview, with its Python part in the data folder.
# The wrapper finds preview.py beside itself in the source tree, and through
# the path from bin to that folder in an installed tree.
set(ppt_preview_data ${CMAKE_INSTALL_DATADIR}/pptools)
file(RELATIVE_PATH ppt_preview_rel ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/pptools)
file(READ tools/preview ppt_preview_text)
string(REPLACE "\$here/../share/pptools" "\$here/${ppt_preview_rel}" ppt_preview_text "${ppt_preview_text}")

# The Python package pptools (the mesh files in meshio) in Python's package
# folder: Debian's own under the prefix /usr of the .deb. ppt-convert and
# ppt-preview find it through the path from bin to that folder.
set(PPT_PYTHON_DIR lib/python3/dist-packages CACHE STRING
  "Folder of the Python package pptools, relative to the install prefix")
install(DIRECTORY python/pptools DESTINATION ${PPT_PYTHON_DIR} PATTERN __pycache__ EXCLUDE)
file(RELATIVE_PATH ppt_python_rel ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${PPT_PYTHON_DIR})
string(REPLACE "\$here/../lib/python3/dist-packages" "\$here/${ppt_python_rel}" ppt_preview_text "${ppt_preview_text}")
file(READ tools/ppt-convert ppt_convert_text)
string(REPLACE "\$here/../lib/python3/dist-packages" "\$here/${ppt_python_rel}" ppt_convert_text "${ppt_convert_text}")

file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install/ppt-preview CONTENT "${ppt_preview_text}")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install/ppt-convert CONTENT "${ppt_convert_text}")
install(PROGRAMS ${CMAKE_BINARY_DIR}/install/ppt-preview ${CMAKE_BINARY_DIR}/install/ppt-convert
  DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES tools/preview.py DESTINATION ${ppt_preview_data})

# Manual pages: the programs in section 1, the file formats in section 5.
file(GLOB ppt_man1 ${PROJECT_SOURCE_DIR}/man/*.1)
file(GLOB ppt_man5 ${PROJECT_SOURCE_DIR}/man/*.5)
install(FILES ${ppt_man1} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ppt_man5} DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)

# The README and the examples (without examples/run, which builds the
# source tree) in the documentation folder.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
  PATTERN run EXCLUDE PATTERN .gitignore EXCLUDE)
