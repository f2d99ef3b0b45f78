# Install rules and the Debian package (cpack -G DEB).
#
# The package installs the program under both its names on the PATH, the engine installer and
# the sample archive laid out as a disc in a shared data folder, a menu entry that starts the
# program on that folder, the icon in the hicolor theme and the AppStream metadata.
# Configure with -DCMAKE_INSTALL_PREFIX=/usr for the package: the menu entry names the data
# folder by its full path, so the package installs below the prefix the build was set up with.
include(GNUInstallDirs)

set(VANTORA_APP_ID de.kalmor.vantora)
set(VANTORA_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/vantora)
set(VANTORA_FULL_SHARE_DIR ${CMAKE_INSTALL_FULL_DATADIR}/vantora)
set(packaging_dir ${CMAKE_CURRENT_LIST_DIR})

# The program, and beside it its hard-disk name. A symbolic link would resolve to "vantora" and
# so start in disc mode; a hard link (or a copy where links cannot be made) keeps the name.
install(TARGETS vantora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(REMOVE \"\${bin}/vantorahd\")
  file(CREATE_LINK \"\${bin}/vantora\" \"\${bin}/vantorahd\" COPY_ON_ERROR)
  message(STATUS \"Installing: \${bin}/vantorahd (hard link)\")
")

# The sample archive as a disc: DATA/ and VTEngine/Setup, the folder the menu entry starts in.
install(TARGETS vantora-setup RUNTIME DESTINATION ${VANTORA_SHARE_DIR}/VTEngine)
install(FILES ${VANTORA_DISC_DIR}/DATA/GameData.DB ${VANTORA_DISC_DIR}/DATA/CDData.DB
              ${VANTORA_DISC_DIR}/DATA/TipsData.DB
        DESTINATION ${VANTORA_SHARE_DIR}/DATA)

configure_file(${packaging_dir}/vantora.desktop.in
               ${CMAKE_BINARY_DIR}/packaging/${VANTORA_APP_ID}.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VANTORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_dir}/vantora.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME ${VANTORA_APP_ID}.metainfo.xml)
install(DIRECTORY ${VANTORA_ICON_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantora)
set(CPACK_PACKAGE_VERSION ${VANTORA_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR Kalmor)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browser for a games magazine's archive")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vantora shows the magazine's game reviews, the contents of its cover discs and the\n"
  "tips and cheats, narrowed by title, category and rating, with statistics per\n"
  "category and month. The package brings a sample archive and a menu entry for it.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kalmor <vantora@kalmor.de>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them: the window-system plugins, the
# toolkit's German texts and the fonts the windows ask for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation")
configure_file(${packaging_dir}/debian/postinst.in ${CMAKE_BINARY_DIR}/packaging/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_BINARY_DIR}/packaging/postinst ${packaging_dir}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
