# What ships with the program, where it lies in the build folder and where
# `cmake --install` puts it:
#   bin/quillary
#   bin/quillary-collation.so                the text order for other SQLite tools
#   bin/quillary-{convert,import,export}     the command-line tools (tools/)
#   share/quillary/rptspec.mdb               the field catalogue
#   share/quillary/doc/quillary.htm (+ pictures)   the help page
#   share/applications/quillary.desktop
#   share/icons/hicolor/{scalable,256x256}/apps/quillary.{svg,png}
#   share/metainfo/org.example.quillary.metainfo.xml   what software centres show
#   share/man/man1/quillary{,-convert,-import,-export}.1.gz   the manual pages
# In the build folder the field catalogue and doc/ lie beside the program, so
# it runs from there as it does installed (see src/common/shipped_files.h).
include(GNUInstallDirs)

set(QUILLARY_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillary)
# The data folder as seen from the program's folder, for finding shipped
# files wherever the prefix is.
file(RELATIVE_PATH QUILLARY_DATA_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QUILLARY_DATA_DIR})
set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/common/shipped_files.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS QUILLARY_DATA_FROM_PROGRAM="${QUILLARY_DATA_FROM_PROGRAM}")

# The icon is drawn as SVG; the PNG is rendered from it.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(QUILLARY_ICON_SVG ${PROJECT_SOURCE_DIR}/data/icons/quillary.svg)
set(QUILLARY_ICON_PNG ${PROJECT_BINARY_DIR}/icons/quillary.png)
add_custom_command(
  OUTPUT ${QUILLARY_ICON_PNG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons
  COMMAND ${RSVG_CONVERT} --width 256 --height 256 --output ${QUILLARY_ICON_PNG} ${QUILLARY_ICON_SVG}
  DEPENDS ${QUILLARY_ICON_SVG}
  COMMENT "Rendering the program's icon")
qt_add_resources(quillary_gui quillary_icon PREFIX /icons BASE ${PROJECT_BINARY_DIR}/icons
  FILES ${QUILLARY_ICON_PNG})

# The help page and its pictures, beside the program in the build folder.
file(GLOB QUILLARY_HELP_FILES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/doc/quillary.htm ${PROJECT_SOURCE_DIR}/doc/*.png)
foreach(f IN LISTS QUILLARY_HELP_FILES)
  get_filename_component(name ${f} NAME)
  configure_file(${f} ${PROJECT_BINARY_DIR}/doc/${name} COPYONLY)
endforeach()

# The manual pages, of the program and of each command-line tool it ships,
# compressed as man reads them and Debian requires.
set(QUILLARY_MANUALS)
foreach(page quillary quillary-convert quillary-import quillary-export)
  set(manual ${PROJECT_BINARY_DIR}/man/${page}.1)
  configure_file(${PROJECT_SOURCE_DIR}/data/${page}.1 ${manual} @ONLY)
  add_custom_command(
    OUTPUT ${manual}.gz
    COMMAND gzip -9 --no-name --force --keep ${manual}
    DEPENDS ${manual}
    COMMENT "Compressing the manual page ${page}.1")
  list(APPEND QUILLARY_MANUALS ${manual}.gz)
endforeach()
add_custom_target(manual ALL DEPENDS ${QUILLARY_MANUALS})

install(TARGETS quillary RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Beside the program, where doc/file-format.md tells other tools to load it
# from; it is loaded, never run, on every system alike.
install(TARGETS quillary_collation LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${PROJECT_BINARY_DIR}/rptspec.mdb DESTINATION ${QUILLARY_DATA_DIR})
install(FILES ${QUILLARY_HELP_FILES} DESTINATION ${QUILLARY_DATA_DIR}/doc)
install(FILES ${PROJECT_SOURCE_DIR}/data/quillary.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUILLARY_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${QUILLARY_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/org.example.quillary.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUILLARY_MANUALS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
