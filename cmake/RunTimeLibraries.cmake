# Libraries that the program opens itself when it first needs them (dlopen) instead of
# linking them: most runs never need them, and each one linked is loaded, relocated and
# partly resident from the first instant of every start.

# The name the dynamic loader knows `library` (a file path) by: its SONAME, read with
# objdump; the file's own name where that cannot be read.
function(quorvane_library_soname library out)
    get_filename_component(real "${library}" REALPATH)
    set(soname "")
    if(CMAKE_OBJDUMP)
        execute_process(COMMAND "${CMAKE_OBJDUMP}" -p "${real}" OUTPUT_VARIABLE dump
                        ERROR_QUIET RESULT_VARIABLE failed)
        if(NOT failed AND dump MATCHES "SONAME +([^\n]+)")
            string(STRIP "${CMAKE_MATCH_1}" soname)
        endif()
    endif()
    if(NOT soname)
        get_filename_component(soname "${library}" NAME)
    endif()
    set(${out} "${soname}" PARENT_SCOPE)
endfunction()

# Gives `target` the headers of `imported` (a pkg-config target) without linking it, and
# records its libraries in the global property QUORVANE_RUN_TIME_LIBRARIES (the package
# recommends them); for each of its libraries the definition QUORVANE_SONAME_<NAME>="<soname>", NAME being the
# file's name without "lib" and ".so", in capitals, other characters made "_"
# (libjxl_threads.so: JXL_THREADS, libgio-2.0.so: GIO_2_0).
function(quorvane_use_at_run_time target imported)
    get_target_property(includes ${imported} INTERFACE_INCLUDE_DIRECTORIES)
    get_target_property(options ${imported} INTERFACE_COMPILE_OPTIONS)
    if(includes)
        target_include_directories(${target} PRIVATE ${includes})
    endif()
    if(options)
        target_compile_options(${target} PRIVATE ${options})
    endif()
    get_target_property(libraries ${imported} INTERFACE_LINK_LIBRARIES)
    foreach(library IN LISTS libraries)
        if(NOT EXISTS "${library}")
            continue()
        endif()
        quorvane_library_soname("${library}" soname)
        get_filename_component(real "${library}" REALPATH)
        set_property(GLOBAL APPEND PROPERTY QUORVANE_RUN_TIME_LIBRARIES "${real}")
        get_filename_component(name "${library}" NAME)
        string(REGEX REPLACE "\\.so(\\..*)?$" "" name "${name}")
        string(REGEX REPLACE "^lib" "" name "${name}")
        string(REGEX REPLACE "[^A-Za-z0-9]" "_" name "${name}")
        string(TOUPPER "${name}" name)
        target_compile_definitions(${target} PRIVATE QUORVANE_SONAME_${name}="${soname}")
    endforeach()
    target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
endfunction()
