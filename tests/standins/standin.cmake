# Stand-ins for the maker's libraries. Every variant carries the real file
# name, alone in its own directory, so that tests load it exactly the way the
# program loads the library next to its executable.
enable_language(C)

# inkly_add_standins(GROUP OUTPUT_NAME SOURCE VARIANT[:DEFINITION]...)
# Linking GROUP gives a test the definition INKLY_<GROUP> (the directory
# holding one sub-directory per variant) and makes it wait for every variant.
function(inkly_add_standins group output source)
    string(TOUPPER ${group} definition)
    add_library(${group} INTERFACE)
    target_compile_definitions(${group} INTERFACE INKLY_${definition}="${CMAKE_CURRENT_BINARY_DIR}")
    foreach(entry IN LISTS ARGN)
        string(REPLACE ":" ";" entry ${entry})
        list(POP_FRONT entry variant)
        set(definitions ${entry})
        set(target ${group}_${variant})
        add_library(${target} MODULE ${source})
        target_compile_definitions(${target} PRIVATE ${definitions})
        set_target_properties(${target} PROPERTIES
            PREFIX ""
            OUTPUT_NAME ${output}
            SUFFIX ${CMAKE_SHARED_MODULE_SUFFIX}
            C_VISIBILITY_PRESET hidden
            AUTOMOC OFF
            AUTOUIC OFF
            AUTORCC OFF
            # The generator expression keeps multi-config generators from
            # adding a directory per configuration.
            LIBRARY_OUTPUT_DIRECTORY $<1:${CMAKE_CURRENT_BINARY_DIR}/${variant}>
            RUNTIME_OUTPUT_DIRECTORY $<1:${CMAKE_CURRENT_BINARY_DIR}/${variant}>)
        add_dependencies(${group} ${target})
    endforeach()
endfunction()
