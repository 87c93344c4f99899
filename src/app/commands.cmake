# The command line and the command channel to the running instance, in a
# library of their own so that their tests need no windows.
find_package(Qt6 REQUIRED COMPONENTS Core Network)
add_library(quorvane_commands STATIC)
target_sources(quorvane_commands PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/commandline.cpp
    ${CMAKE_CURRENT_LIST_DIR}/commandline.h
    ${CMAKE_CURRENT_LIST_DIR}/commandchannel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/commandchannel.h)
target_include_directories(quorvane_commands PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(quorvane_commands PRIVATE QUORVANE_VERSION="${PROJECT_VERSION}")
target_link_libraries(quorvane_commands PUBLIC quorvane_options quorvane_platform Qt6::Core
                      Qt6::Network)
