# The Debian package (cpack -G DEB in the build folder, or scripts/build-deb): the install
# rules of src/app under /usr, with the dependencies that dpkg-shlibdeps finds. The caches of
# the desktop entries, icons and MIME types are refreshed by the file triggers of
# desktop-file-utils, hicolor-icon-theme and shared-mime-info, so there are no maintainer scripts.
set(CPACK_GENERATOR DEB)
# cpack installs only what is built; without this its "preinstall" step would build every test
# and benchmark as well (scripts/build-deb builds the program first, and cmake --install never
# builds anything).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME kalmora-launcher)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tomas Reinholt")
set(CPACK_PACKAGE_CONTACT "Tomas Reinholt <tomas.reinholt@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${KL_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher for the Kalmora Boy Virtual Boy emulator")
set(CPACK_PACKAGE_DESCRIPTION "Kalmora Launcher is a desktop front-end for Kalmora Boy, a Nintendo Virtual Boy
emulator that is driven entirely by command-line switches. It lists the ROM
images of one folder (plain or zipped), offers the emulator's display, 3D,
palette, speed and controller options as tabs of check boxes and lists, turns
them into the emulator's switches and starts the emulator with the chosen game.
A Windows build of the emulator is started through Wine.

It also renames, deletes and inspects ROM files, colours the file list with
themes, and keeps its options in the user's ~/.config/kalmora-launcher/.
Games can keep options of their own; a ROM opened in a file manager, or started
by a game front-end with \"kalmora-launcher --run\", launches with them.")

# The install code writes the desktop entry for the final prefix, so the prefix must be /usr
# while the files go to the staging folder: DESTDIR does that.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Debian puts the programs of the games section in /usr/games: the package adds a second link there.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb-games-link.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform: without it the window runs through XWayland on a Wayland desktop. Wine:
# the emulator is a Windows program, which nearly every user starts through it (apt installs
# recommendations; one who has Proton or a runner of another tool may go without).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, wine")
# The MAME software list the catalogues read, where the user wants it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS mame-data)

include(CPack)
