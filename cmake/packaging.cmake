# Packages made by `cpack` in the build folder: a .deb on Linux, a .zip in a
# (cross) build for Windows. Name and version come from project().

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "PPT developers")
set(CPACK_PACKAGE_CONTACT "PPT maintainers <maintainers@users.noreply.c-seed-fa1c6f2e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "post-processing tools for numerical models")
set(CPACK_PACKAGE_DESCRIPTION "Five console programs for engineers who post-process \
the results of numerical models: plotcad draws curve data as a DXF drawing, rodmesh \
puts a cylinder or a prism around every bar of a mesh, meshcut and meshcat split and \
join mesh files, and wordlist writes every word of a commented text on a line of its own. \
ppt-convert and the Python package pptools carry the mesh files to and from the \
formats of meshio (Gmsh, VTK, Abaqus, Nastran, ...).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
  # Depends is worked out from the programs' shared libraries (dpkg-shlibdeps),
  # after what ppt-convert and the package pptools run on.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, python3-meshio, python3-numpy")
  # ppt-preview draws its pictures with these.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3, python3-ezdxf, python3-matplotlib")
endif()

include(CPack)
