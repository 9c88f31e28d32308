# Runs at install time: the bin/inkly link, the launcher with the installed
# path in Exec, and the list of installed files that scripts/uninstall reads.

function(inkly_prefixed out relative)
    if(IS_ABSOLUTE "${relative}")
        set(${out} "${relative}" PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_INSTALL_PREFIX}/${relative}" PARENT_SCOPE)
    endif()
endfunction()

inkly_prefixed(bin_dir "${INKLY_BINDIR}")
inkly_prefixed(program_dir "${INKLY_PROGRAM_DIR}")
inkly_prefixed(data_dir "${INKLY_DATADIR}")

# A relative link keeps a staged (DESTDIR) or moved tree working.
file(RELATIVE_PATH link_target "${bin_dir}" "${program_dir}/inkly")
set(link "$ENV{DESTDIR}${bin_dir}/inkly")
message(STATUS "Installing: ${link} -> ${link_target}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${bin_dir}")
file(REMOVE "${link}")
file(CREATE_LINK "${link_target}" "${link}" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")

# Exec quoting of the Desktop Entry rules, then the string escapes of the
# file format, which double every backslash once more.
set(exec "${bin_dir}/inkly")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(INKLY_EXEC "\"${exec}\"")
string(REPLACE "\\" "\\\\" INKLY_EXEC "${INKLY_EXEC}")

set(entry "$ENV{DESTDIR}${data_dir}/applications/${INKLY_DESKTOP_ID}.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${INKLY_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")

# A package manager keeps its own list: installing only the program's
# component, as the package does, writes none.
if(CMAKE_INSTALL_COMPONENT)
    return()
endif()

# Everything installed so far, without the staging directory, for the
# uninstaller; it lists itself too.
set(list_file "${program_dir}/installed-files.txt")
set(installed "")
foreach(path IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    string(LENGTH "$ENV{DESTDIR}" staging)
    string(SUBSTRING "${path}" ${staging} -1 path)
    string(APPEND installed "${path}\n")
endforeach()
string(APPEND installed "${list_file}\n")
message(STATUS "Installing: $ENV{DESTDIR}${list_file}")
file(WRITE "$ENV{DESTDIR}${list_file}" "${installed}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${list_file}")
