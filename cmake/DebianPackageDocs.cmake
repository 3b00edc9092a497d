# Run by CPack once it has staged what the project installs, before it packs
# it: the copyright notice and the changelog that Debian wants of every
# package in /usr/share/doc/<name>/, and lintian's overrides. The CPACK_ variables come from
# cmake/Packaging.cmake.
set(doc ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${doc})
file(COPY_FILE ${CPACK_QUILLARY_COPYRIGHT} ${doc}/copyright)
# What lintian is told to pass over, each with its reason.
set(overrides ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides)
file(MAKE_DIRECTORY ${overrides})
file(COPY_FILE ${CPACK_QUILLARY_LINTIAN_OVERRIDES} ${overrides}/${CPACK_PACKAGE_NAME})

# One entry for the version packed: the package is built from the project's
# own tree, so its history is the project's.
string(JOIN "\n" changelog
  "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium"
  ""
  "  * Packed from the project's own tree at version ${CPACK_PACKAGE_VERSION}."
  ""
  " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${CPACK_QUILLARY_CHANGELOG_DATE}"
  "")
file(WRITE ${doc}/changelog "${changelog}")
# Compressed as gzip -9n does it, with no name or time in the header, so the
# same tree gives the same file.
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9 --no-name --force ${doc}/changelog COMMAND_ERROR_IS_FATAL ANY)
