# cmake -DCLANG_FORMAT=... -DTOP=... -P check-format.cmake
# Lists the files clang-format would change and fails when there is one.
file(GLOB_RECURSE files RELATIVE ${TOP}
    ${TOP}/native/*.h ${TOP}/native/*.cpp
    ${TOP}/tests/*.h ${TOP}/tests/*.cpp ${TOP}/tests/*.c
    ${TOP}/bench/*.h ${TOP}/bench/*.cpp)
set(unformatted)
foreach(file IN LISTS files)
    execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${file}
        WORKING_DIRECTORY ${TOP} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(NOT result EQUAL 0)
        list(APPEND unformatted ${file})
    endif()
endforeach()
list(LENGTH files count)
if(unformatted)
    list(JOIN unformatted "\n  " listed)
    message(FATAL_ERROR "Not formatted (clang-format -i FILE):\n  ${listed}")
endif()
message(STATUS "${count} files formatted")
