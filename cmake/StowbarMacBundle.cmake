# Stowbar.app and its disk image.
#
# The bundle gets our own Info.plist (an agent application with LSUIElement, the bundle
# identifier, the marketing version and a build number, the deployment target as the oldest
# macOS, and Sparkle's feed and key when the updater is built in), the icon, the licence and the
# third-party notices. Installing it (cmake --install, and so cpack) copies the bundle, embeds Qt
# and the other non-system libraries with macdeployqt, and signs the result ad hoc from the
# inside out with scripts/macos-sign.sh, because macdeployqt's rewriting of load commands breaks
# the linker's signatures and Apple silicon runs no unsigned code. CPack's DragNDrop generator
# wraps the installed bundle, the licence and the notices in a .dmg. A release is then signed
# with a Developer ID and notarised by scripts/macos-sign.sh and scripts/macos-notarize.sh.

set(STOWBAR_BUNDLE_IDENTIFIER "app.stowbar.Stowbar" CACHE STRING "CFBundleIdentifier of Stowbar.app")
set(STOWBAR_SPARKLE_FEED_URL "" CACHE STRING "SUFeedURL of Stowbar.app when built with Sparkle")
set(STOWBAR_SPARKLE_PUBLIC_KEY "" CACHE STRING "SUPublicEDKey of Stowbar.app when built with Sparkle")
set(STOWBAR_BUILD_NUMBER "" CACHE STRING
    "CFBundleVersion of Stowbar.app; empty: the number of commits up to the one built")

# The build number the updater compares (CFBundleVersion): it must grow with every release, which
# the count of commits up to HEAD does on one branch. Without git, or in a shallow clone (whose
# count is that of the few commits fetched), there is no such number: the build says so and uses
# 0, below every real build, and warns; such builds pass -DSTOWBAR_BUILD_NUMBER=N.
function(stowbar_build_number out)
  if(NOT STOWBAR_BUILD_NUMBER STREQUAL "")
    if(NOT STOWBAR_BUILD_NUMBER MATCHES "^[0-9]+$")
      message(FATAL_ERROR "STOWBAR_BUILD_NUMBER must be a whole number, not '${STOWBAR_BUILD_NUMBER}'")
    endif()
    set(${out} "${STOWBAR_BUILD_NUMBER}" PARENT_SCOPE)
    return()
  endif()
  set(count "")
  set(shallow "")
  find_package(Git QUIET)
  if(Git_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --is-shallow-repository --absolute-git-dir
                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" RESULT_VARIABLE failed
                    OUTPUT_VARIABLE answer OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed)
      string(REPLACE "\n" ";" answer "${answer}")
      list(GET answer 0 shallow)
      list(GET answer 1 git_dir)
      # A new commit or checkout changes the number: configure again when HEAD moves.
      if(EXISTS "${git_dir}/logs/HEAD")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                     "${git_dir}/logs/HEAD")
      endif()
      execute_process(COMMAND "${GIT_EXECUTABLE}" rev-list --count HEAD
                      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" RESULT_VARIABLE failed
                      OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(failed)
        set(count "")
      endif()
    endif()
  endif()
  if(shallow STREQUAL "true" OR NOT count MATCHES "^[0-9]+$")
    message(WARNING "Stowbar.app gets the build number 0: no git history to count commits in "
                    "(a shallow clone or no git). Pass -DSTOWBAR_BUILD_NUMBER=N for a release.")
    set(count 0)
  endif()
  set(${out} "${count}" PARENT_SCOPE)
endfunction()

function(stowbar_make_bundle target)
  set(STOWBAR_SPARKLE_KEYS "")
  if(STOWBAR_SPARKLE)
    string(CONCAT STOWBAR_SPARKLE_KEYS
           "  <key>SUFeedURL</key>\n  <string>${STOWBAR_SPARKLE_FEED_URL}</string>\n"
           "  <key>SUPublicEDKey</key>\n  <string>${STOWBAR_SPARKLE_PUBLIC_KEY}</string>\n")
  endif()
  if(CMAKE_OSX_DEPLOYMENT_TARGET STREQUAL "")
    message(FATAL_ERROR "CMAKE_OSX_DEPLOYMENT_TARGET is empty: Stowbar.app's LSMinimumSystemVersion comes from it")
  endif()
  stowbar_build_number(STOWBAR_BUILD_NUMBER_VALUE)
  configure_file("${PROJECT_SOURCE_DIR}/cmake/Info.plist.in"
                 "${CMAKE_CURRENT_BINARY_DIR}/Info.plist" @ONLY)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME Stowbar
    MACOSX_BUNDLE_INFO_PLIST "${CMAKE_CURRENT_BINARY_DIR}/Info.plist")

  # The notices name the versions of what the bundle carries.
  find_package(Qt6 REQUIRED COMPONENTS Core)
  set(STOWBAR_QT_VERSION "${Qt6Core_VERSION}")
  set(STOWBAR_LIBPLIST_VERSION "${LIBPLIST_VERSION}")
  set(STOWBAR_UTF8PROC_VERSION "${UTF8PROC_VERSION}")
  if(STOWBAR_SPARKLE)
    set(STOWBAR_SPARKLE_STATE "in this copy")
  else()
    set(STOWBAR_SPARKLE_STATE "not in this copy")
  endif()
  set(notices "${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt")
  configure_file("${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt" "${notices}" @ONLY)
  set(resources "${PROJECT_SOURCE_DIR}/cmake/Stowbar.icns" "${PROJECT_SOURCE_DIR}/LICENSE" "${notices}")
  target_sources(${target} PRIVATE ${resources})
  set_source_files_properties(${resources} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)

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
  # The licence beside the application in the disk image, where it is read before the app is
  # opened; the notices follow once they name what macdeployqt copied in.
  install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)
  # The libraries macdeployqt copies in depend on how Homebrew built Qt: their licences are added
  # to the notices after it, before signing. One without a licence is only warned about here;
  # scripts/macos-notarize.sh refuses to release such a bundle.
  install(CODE "
    set(app \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Stowbar.app\")
    execute_process(COMMAND \"${STOWBAR_MACDEPLOYQT}\" \"\${app}\" COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND \"${PROJECT_SOURCE_DIR}/scripts/macos-bundle-licences.sh\" \"\${app}\"
                    RESULT_VARIABLE unlicensed)
    if(unlicensed)
      message(WARNING \"Stowbar.app holds libraries its THIRD-PARTY-NOTICES.txt does not cover (listed above)\")
    endif()
    file(COPY_FILE \"\${app}/Contents/Resources/THIRD-PARTY-NOTICES.txt\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/THIRD-PARTY-NOTICES.txt\")
    execute_process(COMMAND \"${PROJECT_SOURCE_DIR}/scripts/macos-sign.sh\" - \"\${app}\"
                    COMMAND_ERROR_IS_FATAL ANY)
  ")

  set(CPACK_GENERATOR DragNDrop)
  set(CPACK_PACKAGE_NAME Stowbar)
  set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
  set(CPACK_PACKAGE_FILE_NAME "Stowbar-${PROJECT_VERSION}")
  set(CPACK_DMG_VOLUME_NAME Stowbar)
  # CPack would otherwise name CMake's own licence as the package's.
  set(CPACK_PACKAGE_VENDOR "The Stowbar authors")
  set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
  include(CPack)
endfunction()
