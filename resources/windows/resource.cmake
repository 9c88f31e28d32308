# The version resource of the Windows executable, written from the project's
# versions. It is configured on every platform: the mingw check compiles it
# on Linux too.

# FILEVERSION and PRODUCTVERSION take four numbers separated by commas.
function(inkly_rc_version out version)
    string(REGEX MATCHALL "[0-9]+" parts "${version}")
    list(APPEND parts 0 0 0 0)
    list(SUBLIST parts 0 4 parts)
    list(JOIN parts "," joined)
    set(${out} "${joined}" PARENT_SCOPE)
endfunction()

inkly_rc_version(INKLY_FILE_VERSION_RC "${INKLY_FILE_VERSION}")
inkly_rc_version(INKLY_PRODUCT_VERSION_RC "${PROJECT_VERSION}")
set(INKLY_APP_ICON ${PROJECT_SOURCE_DIR}/resources/app/app.ico)
set(INKLY_WINDOWS_RC ${INKLY_GENERATED_DIR}/Inkly.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Inkly.rc.in ${INKLY_WINDOWS_RC} @ONLY)
