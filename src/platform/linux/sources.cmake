# Linux implementation of the platform layer (X11/xcb, freedesktop, desktop settings).
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
target_sources(quorvane_platform PRIVATE
    linux/paths.cpp
    linux/instance.cpp
    linux/store.cpp
    linux/listfile.cpp
    linux/autostart.cpp
    linux/hotkeys.cpp
    linux/wallpaper.cpp)
target_link_libraries(quorvane_platform PRIVATE Qt6::Core Qt6::Gui)
