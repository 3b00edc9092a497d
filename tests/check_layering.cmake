# Fails when a source file reaches above its layer.
#
# Folders of src/, lowest first; a file may include its own folder and any
# lower layer:
#   0 common          text, locale, clock, the seams
#   1 database        the engine over SQLite, which knows no books
#   2 catalogue       the Books layout, upgrade, session, lookup tables
#   3 dates, search, reports, custom_reports, maintenance, import, booklist
#                     the subsystems; peers, which include each other only as
#                     custom_reports -> reports, dates (report output, dates
#                     in criteria), search -> custom_reports (the field
#                     catalogue) and booklist -> import (the book list writes
#                     its rows through the catalogue's CSV export)
#   4 editor          the catalogue's life (start-up, restart) and the main
#                     window, which open all of the above
#   5 app             main()
#
# Outside a gui/ folder nothing includes widgets, print support, generated
# forms (ui_*.h) or anything under a gui/ folder; app/ (main() alone) is the
# one exception, as it starts the windows. A gui/ folder follows the same
# order among the folders.
#
# Run with -DSOURCE_DIR=<project> -DWIDGET_HEADER_DIRS=<QtWidgets dir|QtPrintSupport dir>.
cmake_minimum_required(VERSION 3.25)

set(rank_common 0)
set(rank_database 1)
set(rank_catalogue 2)
foreach(peer dates search reports custom_reports maintenance import booklist)
  set(rank_${peer} 3)
endforeach()
set(rank_editor 4)
set(rank_app 5)
set(peer_includes "custom_reports>reports" "custom_reports>dates" "search>custom_reports" "booklist>import")

set(widget_headers)
string(REPLACE "|" ";" WIDGET_HEADER_DIRS "${WIDGET_HEADER_DIRS}")
foreach(dir IN LISTS WIDGET_HEADER_DIRS)
  file(GLOB headers RELATIVE "${dir}" "${dir}/Q*" "${dir}/q*.h")
  list(APPEND widget_headers ${headers})
endforeach()
if(NOT widget_headers)
  message(FATAL_ERROR "No widget headers found in '${WIDGET_HEADER_DIRS}'")
endif()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h")
set(offences)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED rank_${folder})
    list(APPEND offences "${source}: folder '${folder}' has no layer (add it to tests/check_layering.cmake)")
    continue()
  endif()
  set(in_gui FALSE)
  if(source MATCHES "/gui/")
    set(in_gui TRUE)
  endif()
  file(STRINGS "${SOURCE_DIR}/src/${source}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(target "${CMAKE_MATCH_1}")
      if(NOT in_gui AND NOT folder STREQUAL "app" AND (target MATCHES "(^|/)gui/" OR target MATCHES "(^|/)ui_"))
        list(APPEND offences "${source}: core code includes ${target}")
      endif()
      if(target MATCHES "^([^/]+)/")
        set(included "${CMAKE_MATCH_1}")
        if(NOT DEFINED rank_${included})
          continue() # a file beside it, or not one of ours
        endif()
        if(included STREQUAL folder OR rank_${included} LESS rank_${folder})
          continue()
        endif()
        if(rank_${included} EQUAL rank_${folder} AND "${folder}>${included}" IN_LIST peer_includes)
          continue()
        endif()
        list(APPEND offences "${source}: ${folder} may not include ${target}")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(header "${CMAKE_MATCH_1}")
      if(in_gui OR folder STREQUAL "app")
        continue()
      endif()
      string(REGEX REPLACE "^Qt(Widgets|PrintSupport)/" "" bare "${header}")
      if(NOT (bare STREQUAL header) OR bare IN_LIST widget_headers)
        list(APPEND offences "${source}: core code includes <${header}>")
      endif()
    endif()
  endforeach()
endforeach()

if(offences)
  list(JOIN offences "\n  " text)
  message(FATAL_ERROR "Layering broken:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files keep to their layers")
