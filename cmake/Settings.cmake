# One place for the compiler settings every target of the project shares.
# The warnings alone also apply to the loadable extension, which other
# programs load and which therefore takes neither Qt nor the sanitizers.
add_library(quillary_warnings INTERFACE)
target_compile_options(quillary_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wformat=2)
if(QUILLARY_WERROR)
  target_compile_options(quillary_warnings INTERFACE -Werror)
endif()

add_library(quillary_settings INTERFACE)
target_link_libraries(quillary_settings INTERFACE quillary_warnings)
target_compile_definitions(quillary_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_DISABLE_DEPRECATED_UP_TO=0x060400)

# AddressSanitizer and UndefinedBehaviorSanitizer over every target: the
# program parses SQL, dates and numbers by hand. Any finding stops the run.
option(QUILLARY_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QUILLARY_SANITIZE)
  target_compile_options(quillary_settings INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quillary_settings INTERFACE -fsanitize=address,undefined)
endif()
