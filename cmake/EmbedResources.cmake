# Embedding files into the program as data, looked up by name (see src/imaging/resources.h).
#
#   quorvane_embed_resources(<target> FILES a.png b.png ...)
#
# makes <target>, a static library that defines embeddedResources() with every file stored
# under its name without extension, in capitals (iClose_light.png -> "ICLOSE_LIGHT").
# The data is generated at build time and follows changes to the files.
#
# Run as a script (cmake -DOUTPUT=... -DFILES=a|b -P EmbedResources.cmake) it writes the
# C++ source itself.

if(CMAKE_SCRIPT_MODE_FILE)
    string(REPLACE "|" ";" FILES "${FILES}")
    set(body "")
    set(table "")
    set(index 0)
    foreach(file IN LISTS FILES)
        get_filename_component(name "${file}" NAME_WE)
        string(TOUPPER "${name}" name)
        file(READ "${file}" hex HEX)
        string(LENGTH "${hex}" length)
        if(length EQUAL 0)
            message(FATAL_ERROR "embedded file ${file} is empty")
        endif()
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
               "\\1\n    " bytes "${bytes}")
        string(APPEND body "const std::uint8_t data${index}[] = {\n    ${bytes}\n};\n")
        string(APPEND table "    {\"${name}\", data${index}, sizeof data${index}},\n")
        math(EXPR index "${index} + 1")
    endforeach()
    if(index EQUAL 0)
        set(result "std::span<const EmbeddedResource> embeddedResources() { return {}; }\n")
    else()
        set(result "namespace {\n${body}const EmbeddedResource table[] = {\n${table}};\n} // namespace\n\n"
                   "std::span<const EmbeddedResource> embeddedResources() { return table; }\n")
    endif()
    file(WRITE "${OUTPUT}.new" "// Generated from resources/ by cmake/EmbedResources.cmake.\n"
               "#include \"imaging/resources.h\"\n\n${result}")
    file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
    file(REMOVE "${OUTPUT}.new")
    return()
endif()

set(QUORVANE_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(quorvane_embed_resources target)
    cmake_parse_arguments(E "" "" "FILES" ${ARGN})
    set(files "")
    foreach(file IN LISTS E_FILES)
        get_filename_component(path "${file}" ABSOLUTE)
        list(APPEND files "${path}")
    endforeach()
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}_data.cpp")
    string(REPLACE ";" "|" fileArgument "${files}")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${output}" "-DFILES=${fileArgument}" -P "${QUORVANE_EMBED_SCRIPT}"
        DEPENDS ${files} "${QUORVANE_EMBED_SCRIPT}"
        COMMENT "Embedding ${target}"
        VERBATIM)
    add_library(${target} STATIC)
    target_sources(${target} PRIVATE "${output}")
    target_include_directories(${target} PRIVATE "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${target} PRIVATE quorvane_options)
endfunction()
