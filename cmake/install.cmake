# What `cmake --install` puts where. The programs install themselves
# (ppt_program in cmake/ppt.cmake); this file adds the rest.
#
# Two components, the two Debian packages of cmake/packaging.cmake:
# `programs` (pptools: the five programs, their pages, the README and the
# examples) and `python` (python3-pptools: the package pptools, ppt-convert,
# ppt-preview and their pages); a third where ParaView's development files
# are there. `cmake --install` installs them all.

if(WIN32)
  # The Windows zip: the programs in bin/, the README and the examples beside
  # them, with the licence. The preview tool is a shell script and the manual
  # pages need man.
  install(FILES README.md LICENSE DESTINATION . COMPONENT programs)
  install(CODE "
    set(ppt_source [[${PROJECT_SOURCE_DIR}]])
    set(ppt_examples_dir examples)
    include([[${PROJECT_SOURCE_DIR}/cmake/install-examples.cmake]])
  " COMPONENT programs)
  return()
endif()

set(PPT_COMPONENTS programs python)
set(PPT_PACKAGES pptools python3-pptools)
# The third, when the ParaView reader plugin is built: `paraview`
# (paraview-pptools), which pvplugin/ installs.
if(TARGET ZmfReader)
  list(APPEND PPT_COMPONENTS paraview)
  list(APPEND PPT_PACKAGES paraview-pptools)
endif()

# The Python package pptools goes where Debian's interpreter looks for the
# prefix given to `cmake --install`, which only the install step knows:
# cmake/python-dir.py asks the interpreter's sysconfig. An explicit folder
# (relative to the prefix) overrides it.
set(PPT_PYTHON /usr/bin/python3 CACHE FILEPATH
  "Python interpreter whose package folder receives the package pptools")
set(PPT_PYTHON_SITEDIR "" CACHE STRING
  "Folder of the Python package pptools, relative to the install prefix (empty: asked of PPT_PYTHON)")

# The wrappers are rewritten at install time too: the path from bin to the
# package folder is written into them. preview.py goes to the data folder.
file(RELATIVE_PATH ppt_preview_rel ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/pptools)
if(TARGET pptools_core)
  set(ppt_core_file $<TARGET_FILE:pptools_core>)
else()
  set(ppt_core_file "")
endif()
install(CODE "
  set(ppt_source [[${PROJECT_SOURCE_DIR}]])
  set(ppt_work [[${CMAKE_BINARY_DIR}/install]])
  set(ppt_python [[${PPT_PYTHON}]])
  set(ppt_python_dir [[${PPT_PYTHON_SITEDIR}]])
  set(ppt_bindir [[${CMAKE_INSTALL_BINDIR}]])
  set(ppt_preview_rel [[${ppt_preview_rel}]])
  set(ppt_core_file [[${ppt_core_file}]])
  set(ppt_strip [[${CMAKE_STRIP}]])
  include([[${PROJECT_SOURCE_DIR}/cmake/install-python.cmake]])
" COMPONENT python)
install(FILES tools/preview.py DESTINATION ${CMAKE_INSTALL_DATADIR}/pptools COMPONENT python)

# Manual pages, compressed as Debian ships them (man reads them so anywhere):
# the programs in section 1, the file formats in section 5. ppt-convert's and
# ppt-preview's go with the Python package.
find_program(PPT_GZIP gzip REQUIRED)
set(ppt_python_pages ppt-convert.1 ppt-preview.1)
file(GLOB ppt_pages RELATIVE ${PROJECT_SOURCE_DIR}/man ${PROJECT_SOURCE_DIR}/man/*.[15])
set(ppt_pages_gz "")
foreach(page IN LISTS ppt_pages)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${PPT_GZIP} -9nc ${PROJECT_SOURCE_DIR}/man/${page} > ${gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}
    VERBATIM)
  list(APPEND ppt_pages_gz ${gz})
  string(REGEX REPLACE "^.*\\.([15])$" "man\\1" section ${page})
  if(page IN_LIST ppt_python_pages)
    set(component python)
  else()
    set(component programs)
  endif()
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/${section} COMPONENT ${component})
endforeach()

# The licence and the changelog in the documentation folder of each package.
set(ppt_changelog_gz ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${ppt_changelog_gz}
  COMMAND ${PPT_GZIP} -9nc ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${ppt_changelog_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
  VERBATIM)
add_custom_target(ppt_docs ALL DEPENDS ${ppt_pages_gz} ${ppt_changelog_gz})
foreach(component package IN ZIP_LISTS PPT_COMPONENTS PPT_PACKAGES)
  install(FILES cmake/debian/copyright ${ppt_changelog_gz}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

# The README and the examples as committed (cmake/install-examples.cmake)
# in the documentation folder.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT programs)
install(CODE "
  set(ppt_source [[${PROJECT_SOURCE_DIR}]])
  set(ppt_examples_dir [[${CMAKE_INSTALL_DOCDIR}/examples]])
  include([[${PROJECT_SOURCE_DIR}/cmake/install-examples.cmake]])
" COMPONENT programs)
