# Qt Linguist translations built into a target: each .ts file is compiled by lrelease into a
# .qm file and embedded under the resource prefix :/translations, where QtTranslations looks.
# Only lrelease is needed (Debian's qt6-l10n-tools; Homebrew's qt has it), not Qt's whole tools
# package with its CMake helpers.

find_package(Qt6 REQUIRED COMPONENTS Core)
find_program(STOWBAR_LRELEASE NAMES lrelease lrelease-qt6
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}"
        /usr/lib/qt6/bin
  REQUIRED)

function(stowbar_add_translations target)
  set(compiled)
  foreach(source IN LISTS ARGN)
    get_filename_component(name "${source}" NAME_WE)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/translations/${name}.qm")
    add_custom_command(OUTPUT "${output}"
      COMMAND "${STOWBAR_LRELEASE}" -silent "${source}" -qm "${output}"
      DEPENDS "${source}"
      VERBATIM)
    list(APPEND compiled "${output}")
  endforeach()
  if(compiled)
    set_source_files_properties(${compiled} PROPERTIES GENERATED TRUE)
    qt_add_resources(${target} "${target}_translations" PREFIX "/translations"
      BASE "${CMAKE_CURRENT_BINARY_DIR}/translations" FILES ${compiled})
  endif()
endfunction()
