# Installation and the Debian package: the two programs, the shared libraries they link
# (in a private lib/oxbow, found through a relative RPATH so the tree is relocatable), the
# help page, desktop entry, icons, AppStream metainfo, manual pages and the udev rule.
include(GNUInstallDirs)

set(OXBOW_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/oxbow)
set(OXBOW_HELP_DIR ${CMAKE_INSTALL_DATADIR}/oxbow)
set(OXBOW_UDEV_DIR lib/udev/rules.d)
set(OXBOW_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
# The desktop and AppStream id; the desktop entry and the metainfo file are named after it.
set(OXBOW_APP_ID org.oxbow.Oxbow)

# The version is the project's; the About box and both --version texts show it.
foreach(target oxbow oxbow-sim OxbowCore)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE OXBOW_VERSION="${PROJECT_VERSION}")
  endif()
endforeach()
if(TARGET OxbowShell)
  file(RELATIVE_PATH help_from_bin /${CMAKE_INSTALL_BINDIR} /${OXBOW_HELP_DIR}/Oxbow.html)
  target_compile_definitions(OxbowShell PRIVATE OXBOW_INSTALLED_HELP="${help_from_bin}")
endif()

# Only a complete program is installed.
if(NOT TARGET oxbow OR NOT TARGET oxbow-sim)
  return()
endif()

set(programs oxbow oxbow-sim)
set(libraries "")
foreach(program IN LISTS programs)
  set(links "")
  _ox_collect_links(${program} links)
  foreach(link IN LISTS links)
    if(TARGET ${link})
      get_target_property(type ${link} TYPE)
      if(type STREQUAL "SHARED_LIBRARY" AND NOT link MATCHES "::")
        list(APPEND libraries ${link})
      endif()
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES libraries)

file(RELATIVE_PATH lib_from_bin /${CMAKE_INSTALL_BINDIR} /${OXBOW_PRIVATE_LIBDIR})
set_target_properties(${programs} PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_bin}")
set_target_properties(${libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${libraries} LIBRARY DESTINATION ${OXBOW_PRIVATE_LIBDIR} NAMELINK_SKIP)

install(FILES ${CMAKE_SOURCE_DIR}/docs/help/Oxbow.html DESTINATION ${OXBOW_HELP_DIR})
install(FILES ${OXBOW_PACKAGING}/oxbow.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${OXBOW_APP_ID}.desktop)
configure_file(${OXBOW_PACKAGING}/oxbow.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${OXBOW_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${OXBOW_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${OXBOW_PACKAGING}/oxbow.1 ${OXBOW_PACKAGING}/oxbow-sim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# GPL-3.0-or-later (the decoder library's licence): the package's copyright file.
install(FILES ${OXBOW_PACKAGING}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/oxbow)

# Icons: the hand-drawn SVG, and a PNG rendered from it.
set(OXBOW_ICON_PNG_SIZE 256)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_png ${CMAKE_BINARY_DIR}/packaging/oxbow.png)
add_custom_command(OUTPUT ${icon_png}
  COMMAND ${RSVG_CONVERT} -w ${OXBOW_ICON_PNG_SIZE} -h ${OXBOW_ICON_PNG_SIZE}
          -o ${icon_png} ${OXBOW_PACKAGING}/oxbow.svg
  DEPENDS ${OXBOW_PACKAGING}/oxbow.svg
  COMMENT "Rendering the PNG icon")
add_custom_target(oxbow_icon ALL DEPENDS ${icon_png})
install(FILES ${OXBOW_PACKAGING}/oxbow.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${icon_png}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${OXBOW_ICON_PNG_SIZE}x${OXBOW_ICON_PNG_SIZE}/apps)

# The udev rule takes the USB ids from the transport's header, where they are declared.
file(STRINGS ${CMAKE_SOURCE_DIR}/platform/usb/include/oxbow_ui.h id_line
     REGEX "kDefaultDeviceId\\{0x[0-9A-Fa-f]+, *0x[0-9A-Fa-f]+\\}")
if(NOT id_line MATCHES "\\{0x([0-9A-Fa-f]+), *0x([0-9A-Fa-f]+)\\}")
  message(FATAL_ERROR "The USB ids were not found in oxbow_ui.h")
endif()
string(TOLOWER ${CMAKE_MATCH_1} OXBOW_USB_VENDOR)
string(TOLOWER ${CMAKE_MATCH_2} OXBOW_USB_PRODUCT)
configure_file(${OXBOW_PACKAGING}/70-oxbow.rules.in ${CMAKE_BINARY_DIR}/packaging/70-oxbow.rules @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/70-oxbow.rules DESTINATION ${OXBOW_UDEV_DIR})
configure_file(${OXBOW_PACKAGING}/postinst.in ${CMAKE_BINARY_DIR}/packaging/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)

# The installed tree, checked from a temporary prefix.
add_test(NAME package_install_tree
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-install.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${OXBOW_APP_ID})
set_tests_properties(package_install_tree PROPERTIES LABELS package TIMEOUT 120)

# The Debian package (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME oxbow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_CONTACT "Oxbow developers <oxbow@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front panel for a two-channel digital storage oscilloscope")
set(CPACK_PACKAGE_DESCRIPTION
"Oxbow controls a two-channel digital storage oscilloscope with an optional
16-line logic analyzer over USB or LAN: it sends the instrument's commands,
reads its setups and waveforms, and draws, measures, saves and prints them.

The package includes oxbow-sim, a simulated instrument served over TCP, and
a udev rule that lets the logged-in user open the instrument on USB.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The decoders are Python modules of the decoder library's package, found by the library at
# run time; shlibdeps names the library itself.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsigrokdecode4")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sigrok-cli, gtkwave")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
include(CPack)
