# Linux implementation of the platform layer (X11/xcb, freedesktop, desktop settings).
find_package(Qt6 REQUIRED COMPONENTS Core Gui DBus)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PLATFORM_XCB REQUIRED IMPORTED_TARGET xcb)
# GLib's key-file parser reads the autostart entry as the session managers do.
pkg_check_modules(PLATFORM_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_sources(quorvane_platform_base PRIVATE
    linux/pathsbase.cpp
    linux/exepath.h
    linux/instance.cpp
    linux/localsocket.cpp)
target_sources(quorvane_platform PRIVATE
    linux/paths.cpp
    linux/store.cpp
    linux/listfile.cpp
    linux/autostart.cpp
    linux/hotkeys.cpp
    linux/hotkeys_portal.cpp
    linux/hotkeys_portal.h
    linux/hotkeys_x11.cpp
    linux/hotkeys_x11.h
    linux/keysyms.cpp
    linux/keysyms.h
    linux/signals.cpp
    linux/notify.cpp)
# The settings file and the autostart entry are written through the checked atomic writer.
target_link_libraries(quorvane_platform PUBLIC quorvane_storage)
target_link_libraries(quorvane_platform PRIVATE Qt6::Core Qt6::Gui Qt6::DBus PkgConfig::PLATFORM_XCB
    PkgConfig::PLATFORM_GLIB)

# The desktop-wallpaper backends, one file per desktop (listed in
# wallpaper.cpp), and the pieces they share: GSettings and D-Bus through GIO,
# external programs through QProcess, xcb with RandR for the root window.
# GIO is opened when a backend first needs it, not linked (RunTimeLibraries).
pkg_check_modules(WALLPAPER_DEPS REQUIRED IMPORTED_TARGET xcb xcb-randr)
pkg_check_modules(WALLPAPER_GIO REQUIRED IMPORTED_TARGET gio-2.0)
include(RunTimeLibraries)
quorvane_use_at_run_time(quorvane_wallpaper PkgConfig::WALLPAPER_GIO)
target_sources(quorvane_wallpaper PRIVATE
    linux/wallpaper.cpp
    linux/wallpaper_backends.h
    linux/wallpaper_gio.h
    linux/wallpaper_gio.cpp
    linux/wallpaper_names.cpp
    linux/wallpaper_run.cpp
    linux/wallpaper_gnome.cpp
    linux/wallpaper_kde.cpp
    linux/wallpaper_xfce.cpp
    linux/wallpaper_mate.cpp
    linux/wallpaper_cinnamon.cpp
    linux/wallpaper_lxqt.cpp
    linux/wallpaper_lxde.cpp
    linux/wallpaper_sway.cpp
    linux/wallpaper_x11.cpp)
target_link_libraries(quorvane_wallpaper PRIVATE quorvane_imaging Qt6::Core
    PkgConfig::WALLPAPER_DEPS PkgConfig::PLATFORM_GLIB)
