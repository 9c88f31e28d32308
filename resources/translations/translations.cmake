# The interface is written in Korean; each inkly_<language>.ts here holds one
# translation of it. The build compiles them into the resources under
# :/i18n, where the program finds what it can offer, so another language is
# one more file. `cmake --build <dir> --target update_translations` brings
# the files up to date with the sources.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)

file(GLOB INKLY_TS_FILES CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/translations/inkly_*.ts)
set(INKLY_TRANSLATED_SOURCES ${INKLY_QML_FILES} ${INKLY_NATIVE_SOURCES}
    ${INKLY_NATIVE_WIN_SOURCES} ${INKLY_NATIVE_LINUX_SOURCES})
# No line numbers, so that only a change of the texts changes the files.
set(INKLY_LUPDATE_OPTIONS -locations none -source-language ko)

qt_add_translations(inklycore
    TS_FILES ${INKLY_TS_FILES}
    SOURCES ${INKLY_TRANSLATED_SOURCES}
    LUPDATE_OPTIONS ${INKLY_LUPDATE_OPTIONS}
    RESOURCE_PREFIX /i18n
)
