# The Debian package, made by CPack's DEB generator (scripts/package runs it on
# a Release tree). It holds exactly what `cmake --install` puts in place, under
# /usr, so whatever the project installs comes along without a list here;
# dpkg-shlibdeps works its dependencies out from the binaries. Debian's own
# files, the copyright notice and the changelog, are added once CPack has
# staged the install (cmake/DebianPackageDocs.cmake), so a plain install has none.
set(QUILLARY_PACKAGE_MAINTAINER "The Quillary maintainers <maintainers@quillary.example.org>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillary maintainers")
set(CPACK_PACKAGE_CONTACT "${QUILLARY_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of a private book collection")
# CPack lays the text out as Debian wants (a space before each line, a lone
# dot for the empty one).
set(CPACK_PACKAGE_DESCRIPTION [=[Quillary keeps a private book collection in one catalogue: title, author,
publisher, category, format and series, year and ISBN, prices, the dates of
purchase, reading and loan, owner, location and notes. Its window shows one
book at a time in title, author or category order, and a list of every
book beside it, sorted by any column and narrowed as you type; books are
added, changed, deleted and found by any field, with lookup lists that
complete as you type.

It previews, prints and saves seven book lists and two counts, designs
custom reports kept in report files (printed tables, text files or HTML
pages), imports books from CSV or TAB-separated tables, exports them as
CSV, backs the catalogue up and compacts it, and converts a catalogue
kept by the earlier program in a Jet/Access file. The catalogue is an
ordinary SQLite database. The commands quillary-import, quillary-export
and quillary-convert do the same on the command line.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLARY_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillary.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help page and the home page open through xdg-open; no library names it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# For the changelog: its one entry is dated when the tree is configured, or
# by SOURCE_DATE_EPOCH when that is set, as for a reproducible build.
string(TIMESTAMP CPACK_QUILLARY_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(CPACK_QUILLARY_COPYRIGHT ${PROJECT_SOURCE_DIR}/data/copyright)
set(CPACK_QUILLARY_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/data/lintian-overrides)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianPackageDocs.cmake)

include(CPack)
