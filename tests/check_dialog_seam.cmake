# Fails when a source file bypasses one of the seams tests answer through:
#  - QMessageBox or QFileDialog anywhere but the widget dialogs;
#  - a modal window run with exec() anywhere but the modal runner and the
#    widget dialogs (QApplication::exec() in main() is the event loop, not a
#    window);
#  - QDesktopServices anywhere but the widget desktop opener.
file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h")
set(offenders)
foreach(f IN LISTS sources)
  if(NOT f MATCHES "/common/gui/widget_dialogs\\.(cpp|h)$")
    file(STRINGS "${f}" hits REGEX "QMessageBox|QFileDialog")
    if(hits)
      list(APPEND offenders "${f}: message box or file dialog (use userDialogs())")
    endif()
  endif()
  if(NOT f MATCHES "/common/gui/(widget_dialogs|modal_runner)\\.(cpp|h)$")
    file(STRINGS "${f}" hits REGEX "(\\.|->)[ \t]*exec[ \t]*\\(")
    # Running a window through the seam is what the rule asks for.
    list(FILTER hits EXCLUDE REGEX "modalRunner\\(\\)\\.exec\\(")
    if(hits)
      list(APPEND offenders "${f}: exec() on a window (use modalRunner().exec(dialog))")
    endif()
  endif()
  if(NOT f MATCHES "/common/gui/widget_desktop_opener\\.(cpp|h)$")
    file(STRINGS "${f}" hits REGEX "QDesktopServices")
    if(hits)
      list(APPEND offenders "${f}: QDesktopServices (use desktopOpener())")
    endif()
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "Seams bypassed:\n  ${text}")
endif()
message(STATUS "1 passed, 0 failed")
