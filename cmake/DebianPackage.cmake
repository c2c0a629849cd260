# The Linux installation beyond the program and libraries: the man page, the
# documents in share/doc/halvex2qsx, and the settings of `cpack -G DEB`.
# Included by the top CMakeLists.txt (not on Windows).

find_program(HALVEX_GZIP gzip REQUIRED)

# Compressed as Debian installs them (-n: no name or time in the header, so
# that the same sources give the same package).
configure_file(${CMAKE_SOURCE_DIR}/packaging/deb/changelog.in ${HALVEX_DOC_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${HALVEX_DOC_DIR}/halvex2qsx.1.gz
  COMMAND ${HALVEX_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/docs/halvex2qsx.1 > ${HALVEX_DOC_DIR}/halvex2qsx.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/halvex2qsx.1 VERBATIM)
add_custom_command(OUTPUT ${HALVEX_DOC_DIR}/changelog.gz
  COMMAND ${HALVEX_GZIP} -9n -c ${HALVEX_DOC_DIR}/changelog > ${HALVEX_DOC_DIR}/changelog.gz
  DEPENDS ${HALVEX_DOC_DIR}/changelog VERBATIM)
add_custom_target(halvex_docs ALL DEPENDS ${HALVEX_DOC_DIR}/halvex2qsx.1.gz ${HALVEX_DOC_DIR}/changelog.gz)

install(FILES ${HALVEX_DOC_DIR}/halvex2qsx.1.gz DESTINATION share/man/man1)
install(FILES ${HALVEX_PACKAGED_README} ${HALVEX_DOC_DIR}/changelog.gz
              ${CMAKE_SOURCE_DIR}/packaging/deb/copyright
        DESTINATION share/doc/halvex2qsx)

# `cpack -G DEB` in the build folder: build/halvex2qsx_VERSION_ARCH.deb,
# installing under /usr, its dependencies found by dpkg-shlibdeps.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The halvex2qsx developers <maintainers@halvex2qsx.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file for the versioned library, and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The long description below the synopsis (CPACK_PACKAGE_DESCRIPTION_SUMMARY).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "halvex2qsx converts Halvex structural model files (.hvt) into QSX command
text for a structural-analysis host: geometry, properties, boundary
conditions, loads and analysis settings.

This package holds the command-line tool, the plug-in library with its C
interface (libConvertHalvex.so.1, header halvex.h) and the message
catalogue library (libConvertmsg.so).")
# The dynamic linker's cache is brought up to date by dpkg's trigger (the
# ldconfig call cpack writes into postinst and postrm stays beside it).
configure_file(${CMAKE_SOURCE_DIR}/packaging/deb/triggers ${CMAKE_BINARY_DIR}/deb/triggers COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/deb/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
