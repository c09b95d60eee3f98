# Packages made by `cpack` in the build folder: a .deb on Linux, a .zip in a
# (cross) build for Windows. Name and version come from project().

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "PPT developers")
set(CPACK_PACKAGE_CONTACT "PPT maintainers <maintainers@users.noreply.c-seed-fa1c6f2e.example>")
set(CPACK_PACKAGE_DESCRIPTION "Five console programs for engineers who post-process \
the results of numerical models: plotcad draws curve data as a DXF drawing, rodmesh \
puts a cylinder or a prism around every bar of a mesh, meshcut and meshcat split and \
join mesh files, and wordlist writes every word of a commented text on a line of its own. \
ppt-convert and the Python package pptools carry the mesh files to and from the \
formats of meshio (Gmsh, VTK, Abaqus, Nastran, ...).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Packages of committed files only: a checkout with changes is refused.
set(CPACK_PPT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_INSTALL_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/clean-tree.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "post-processing tools for numerical models")
  set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  # lintian (Debian 12) reports neither error nor warning on the two; what
  # remains is information only (lintian -I): binary-has-unneeded-section
  # .comment (cpack strips with plain strip), hardening-no-bindnow and
  # hardening-no-fortify-functions (the build takes the project's flags, not
  # dpkg-buildflags'), and spelling-error-in-binary / typo-in-manual-page
  # "splitted" (meshcut's summary line, which scripts read as it is).
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
  set(CPACK_DEBIAN_PACKAGE_SOURCE ${PROJECT_NAME})
  # The programs and the Python side in two packages, as Debian ships
  # Python: pptools needs no interpreter, python3-pptools no compiler.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL ${PPT_COMPONENTS})
  # Installed under DESTDIR with the prefix /usr, so that the install step
  # sees /usr and puts the package pptools in Debian's Python folder.
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # Depends is worked out from the shared libraries (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME pptools)
  # The first line is the synopsis (no CPACK_PACKAGE_DESCRIPTION_SUMMARY
  # here: CPack would put it before both).
  set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION "post-processing tools for numerical models
Five console programs for engineers who post-process the results of
numerical models: plotcad draws curve data as a DXF drawing, rodmesh puts a
cylinder or a prism around every bar of a mesh, meshcut and meshcat split
and join mesh files, and wordlist writes every word of a commented text on a
line of its own.")
  # ppt-convert carries rodmesh's solids to the viewers.
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SUGGESTS "python3-pptools")

  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-pptools)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_COMPONENT_PYTHON_DESCRIPTION "mesh files of the post-processing tools in meshio
The Python package pptools reads and writes the mesh files of the
post-processing tools (.zmf) as meshio meshes and registers the format with
meshio. ppt-convert carries mesh files to and from the formats of meshio
(Gmsh, VTK, Abaqus, Nastran, ...), and ppt-preview draws DXF drawings and
mesh files as pictures.")
  # The meshio releases pptools works with, Debian 12's 7.0 among them;
  # pptools checks the version it meets when it is imported.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3, python3-meshio (>= 5), python3-meshio (<< 8), python3-numpy")
  # ppt-preview draws its pictures with these.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-ezdxf, python3-matplotlib")
  # Byte-compiled on installation, cleaned on removal (py3compile, py3clean).
  set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/cmake/debian/postinst ${PROJECT_SOURCE_DIR}/cmake/debian/prerm)
  # Without the core library it holds no machine code.
  if(NOT TARGET pptools_core)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
  endif()

  # The reader plugin, in Debian's folder of ParaView's plugins. The
  # libraries it links give the exact ParaView release (its plugins are
  # built for one ABI); the line here says so where shlibdeps is not run.
  set(CPACK_DEBIAN_PARAVIEW_PACKAGE_NAME paraview-pptools)
  set(CPACK_COMPONENT_PARAVIEW_DESCRIPTION "ParaView reader of the post-processing tools' mesh files
A ParaView plugin that opens the mesh files of the post-processing tools
(.zmf) in File > Open, pvpython and pvbatch, serial or in parallel under
MPI (each rank reads its share of the elements): every drawing with its
title, the special nodes as point data, the cells and node orders of
ppt-convert.")
  set(CPACK_DEBIAN_PARAVIEW_PACKAGE_DEPENDS "paraview (>= 5.11), paraview (<< 5.12)")
  set(CPACK_DEBIAN_PARAVIEW_PACKAGE_SUGGESTS "pptools")
endif()

include(CPack)
