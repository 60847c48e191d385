# Stowbar.app and its disk image.
#
# The bundle gets our own Info.plist (an agent application with LSUIElement, the bundle
# identifier, the project's version, macOS 26 as the minimum, and Sparkle's feed and key when the
# updater is built in). Installing it (cmake --install, and so cpack) copies the bundle, embeds Qt
# and the other non-system libraries with macdeployqt, and signs the result ad hoc from the
# inside out with scripts/macos-sign.sh, because macdeployqt's rewriting of load commands breaks
# the linker's signatures and Apple silicon runs no unsigned code. CPack's DragNDrop generator
# wraps the installed bundle in a .dmg.

set(STOWBAR_BUNDLE_IDENTIFIER "app.stowbar.Stowbar" CACHE STRING "CFBundleIdentifier of Stowbar.app")
set(STOWBAR_SPARKLE_FEED_URL "" CACHE STRING "SUFeedURL of Stowbar.app when built with Sparkle")
set(STOWBAR_SPARKLE_PUBLIC_KEY "" CACHE STRING "SUPublicEDKey of Stowbar.app when built with Sparkle")

function(stowbar_make_bundle target)
  set(STOWBAR_SPARKLE_KEYS "")
  if(STOWBAR_SPARKLE)
    string(CONCAT STOWBAR_SPARKLE_KEYS
           "  <key>SUFeedURL</key>\n  <string>${STOWBAR_SPARKLE_FEED_URL}</string>\n"
           "  <key>SUPublicEDKey</key>\n  <string>${STOWBAR_SPARKLE_PUBLIC_KEY}</string>\n")
  endif()
  configure_file("${PROJECT_SOURCE_DIR}/cmake/Info.plist.in"
                 "${CMAKE_CURRENT_BINARY_DIR}/Info.plist" @ONLY)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME Stowbar
    MACOSX_BUNDLE_INFO_PLIST "${CMAKE_CURRENT_BINARY_DIR}/Info.plist")

  if(STOWBAR_SPARKLE)
    # Sparkle ships no CMake support: the framework is copied with its symbolic links kept
    # (ditto keeps them) and found through the bundle's Frameworks directory.
    set_property(TARGET ${target} APPEND PROPERTY BUILD_RPATH "@loader_path/../Frameworks")
    set_property(TARGET ${target} APPEND PROPERTY INSTALL_RPATH "@loader_path/../Frameworks")
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_BUNDLE_CONTENT_DIR:${target}>/Frameworks"
      COMMAND ditto "${STOWBAR_SPARKLE_FRAMEWORK}"
              "$<TARGET_BUNDLE_CONTENT_DIR:${target}>/Frameworks/Sparkle.framework"
      VERBATIM)
  endif()

  # Homebrew links Qt's tools into its bin directory, which is on PATH; Qt's own bin directory
  # is tried as well.
  set(qt_bin "")
  if(TARGET Qt6::qmake)
    get_target_property(qmake Qt6::qmake LOCATION)
    get_filename_component(qt_bin "${qmake}" DIRECTORY)
  endif()
  find_program(STOWBAR_MACDEPLOYQT macdeployqt HINTS "${qt_bin}" "${QT6_INSTALL_PREFIX}/bin" REQUIRED)
  install(TARGETS ${target} BUNDLE DESTINATION .)
  install(CODE "
    set(app \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Stowbar.app\")
    execute_process(COMMAND \"${STOWBAR_MACDEPLOYQT}\" \"\${app}\" COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND \"${PROJECT_SOURCE_DIR}/scripts/macos-sign.sh\" - \"\${app}\"
                    COMMAND_ERROR_IS_FATAL ANY)
  ")

  set(CPACK_GENERATOR DragNDrop)
  set(CPACK_PACKAGE_NAME Stowbar)
  set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
  set(CPACK_PACKAGE_FILE_NAME "Stowbar-${PROJECT_VERSION}")
  set(CPACK_DMG_VOLUME_NAME Stowbar)
  include(CPack)
endfunction()
