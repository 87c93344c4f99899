# Installing Quorvane as a desktop application (cmake --install) and its
# Debian package (cpack -G DEB): the program, its desktop entry, its icon in
# the hicolor theme, its AppStream metadata, its manual page and its licence.
# QUORVANE_APP_ID names the desktop entry, the icon and the metadata alike.
include(GNUInstallDirs)

set(QUORVANE_MAINTAINER "The Quorvane developers <maintainers@quorvane.org>")
# The window class the program's windows carry: the application name set at
# start-up, which the desktop entry's StartupWMClass must match.
set(QUORVANE_WM_CLASS "${PROJECT_NAME}")
if(QUORVANE_HOMEPAGE MATCHES "/$")
    set(QUORVANE_SCREENSHOT_URL "${QUORVANE_HOMEPAGE}screenshot.png")
else()
    set(QUORVANE_SCREENSHOT_URL "${QUORVANE_HOMEPAGE}/screenshot.png")
endif()
string(SUBSTRING "${QUORVANE_RELEASE_DATE}" 0 4 QUORVANE_RELEASE_YEAR)
execute_process(COMMAND date -u -R -d "${QUORVANE_RELEASE_DATE} 12:00:00 UTC"
                OUTPUT_VARIABLE QUORVANE_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The package's revision: 1 for each new version of the program.
set(QUORVANE_PACKAGE_RELEASE 1)
# Documents go where Debian keeps them, under the package's own name.
set(quorvane_docdir "${CMAKE_INSTALL_DATADIR}/doc/quorvane")

set(dist_in "${CMAKE_SOURCE_DIR}/dist/linux")
set(dist_out "${CMAKE_BINARY_DIR}/dist")
configure_file("${dist_in}/quorvane.desktop.in" "${dist_out}/${QUORVANE_APP_ID}.desktop" @ONLY)
# "Open with" in a file manager: the pictures are added to the collection.
configure_file("${dist_in}/quorvane-add.desktop.in" "${dist_out}/${QUORVANE_APP_ID}.add.desktop"
               @ONLY)
configure_file("${dist_in}/quorvane.metainfo.xml.in"
               "${dist_out}/${QUORVANE_APP_ID}.metainfo.xml" @ONLY)
configure_file("${dist_in}/quorvane.1.in" "${dist_out}/man/quorvane.1" @ONLY)
configure_file("${dist_in}/copyright.in" "${dist_out}/copyright" @ONLY)
configure_file("${dist_in}/changelog.Debian.in" "${dist_out}/debian/changelog.Debian" @ONLY)

# Manual pages and the Debian changelog are installed compressed, without a
# time stamp in the gzip header so that the package is reproducible.
find_program(QUORVANE_GZIP gzip REQUIRED)
foreach(doc man/quorvane.1 debian/changelog.Debian)
    add_custom_command(OUTPUT "${dist_out}/${doc}.gz"
        COMMAND "${QUORVANE_GZIP}" -9 -n -k -f "${dist_out}/${doc}"
        DEPENDS "${dist_out}/${doc}"
        VERBATIM)
    list(APPEND compressed_docs "${dist_out}/${doc}.gz")
endforeach()
add_custom_target(quorvane_dist_docs ALL DEPENDS ${compressed_docs})

install(TARGETS quorvane RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# The program library the launcher loads (src/app).
install(TARGETS quorvane_program LIBRARY DESTINATION "${QUORVANE_PROGRAM_LIBRARY_DIR}")
install(FILES "${dist_out}/${QUORVANE_APP_ID}.desktop" "${dist_out}/${QUORVANE_APP_ID}.add.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${dist_out}/${QUORVANE_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
# The same pictures the program carries for its window and tray icon.
foreach(size 16 24 32 48 64 128 256)
    install(FILES "${CMAKE_SOURCE_DIR}/resources/icon${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME "${QUORVANE_APP_ID}.png")
endforeach()
install(FILES "${dist_out}/man/quorvane.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${dist_out}/copyright" DESTINATION "${quorvane_docdir}")
# Only the Debian package carries a Debian changelog.
install(FILES "${dist_out}/debian/changelog.Debian.gz" DESTINATION "${quorvane_docdir}"
        COMPONENT debian EXCLUDE_FROM_ALL)

# The Debian package. Its library dependencies are found by dpkg-shlibdeps;
# the X11 and Wayland platform plugins are only recommended by Qt, yet no
# window can open without them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wallpaper changer that lives in the notification area")
set(CPACK_PACKAGE_CONTACT "${QUORVANE_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME quorvane)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${QUORVANE_PACKAGE_RELEASE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# dpkg-shlibdeps does not see the libraries the program opens itself when it first needs
# them (cmake/RunTimeLibraries.cmake): the packages that hold them are recommended, since the
# program runs without them (a format whose library is missing is not decoded).
get_property(quorvane_run_time_libraries GLOBAL PROPERTY QUORVANE_RUN_TIME_LIBRARIES)
find_program(QUORVANE_DPKG dpkg)
set(quorvane_recommended "")
if(QUORVANE_DPKG)
    foreach(library IN LISTS quorvane_run_time_libraries)
        execute_process(COMMAND "${QUORVANE_DPKG}" -S "${library}" OUTPUT_VARIABLE owner
                        ERROR_QUIET RESULT_VARIABLE failed)
        if(NOT failed AND owner MATCHES "^([^:,]+)")
            list(APPEND quorvane_recommended "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    list(REMOVE_DUPLICATES quorvane_recommended)
endif()
if(quorvane_recommended)
    string(JOIN ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS ${quorvane_recommended})
    message(STATUS "Package recommends: ${CPACK_DEBIAN_PACKAGE_RECOMMENDS}")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The package's synopsis is the summary above; this is its long description.
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane gathers a collection of pictures (JPEG, PNG, BMP, WebP, AVIF,
HEIF, JPEG XL, GIF and TIFF), shows it in a strip of thumbnails around a
picture of a monitor and sets any of them as the desktop wallpaper. It can
change the wallpaper by itself at an interval, in order or at random, once at
start-up, from three system-wide hotkeys and from its tray menu, and it can
start when you log on.
.
It sets the wallpaper through the desktop's own settings on GNOME, KDE Plasma,
Xfce, Cinnamon, MATE, Budgie, Unity, LXQt, LXDE and sway, and paints the root
window itself on any other X11 session.")
include(CPack)
