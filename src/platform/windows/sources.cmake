# Win32 implementation of the platform layer (no Qt).
target_sources(quorvane_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/hotkeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/instance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/listfile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/paths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry.h
    ${CMAKE_CURRENT_LIST_DIR}/signals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/autostart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wintext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/notify.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wintext.h)
target_link_libraries(quorvane_platform PRIVATE shell32 advapi32 user32)

target_sources(quorvane_wallpaper PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/shellwallpaper.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shellwallpaper.h
    ${CMAKE_CURRENT_LIST_DIR}/wallpaper.cpp)
# The shell's per-monitor wallpaper is a COM object: ole32, and uuid for its identifiers.
target_link_libraries(quorvane_wallpaper PRIVATE quorvane_platform user32 advapi32 ole32 uuid)
