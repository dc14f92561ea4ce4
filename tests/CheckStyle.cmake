cmake_minimum_required(VERSION 3.22)
# Style checks run as tests: every source is clang-formatted, and the core passes clang-tidy
# with the project's .clang-tidy (its checks are errors).
# Called with -DMODE=format|tidy -DROOT=<source dir> -DBUILD=<build dir with compile_commands.json>.
file(GLOB_RECURSE sources ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h
     ${ROOT}/tools/*.cpp ${ROOT}/tools/*.h ${ROOT}/bench/*.cpp)
if(MODE STREQUAL "format")
    find_program(CLANG_FORMAT clang-format REQUIRED)
    execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources} RESULT_VARIABLE rc ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "Not clang-formatted (run `make format`):\n${out}")
    endif()
    return()
endif()

find_program(CLANG_TIDY clang-tidy REQUIRED)
file(STRINGS ${ROOT}/src/GuiFiles.txt gui REGEX "^[^#]")
set(core "")
foreach(f IN LISTS sources)
    file(RELATIVE_PATH rel ${ROOT}/src ${f})
    string(REGEX REPLACE "\\.(cpp|h)$" "" stem "${rel}")
    if(f MATCHES "^${ROOT}/src/.*\\.cpp$" AND NOT stem IN_LIST gui)
        list(APPEND core ${f})
    endif()
endforeach()
execute_process(COMMAND ${CLANG_TIDY} -p ${BUILD} --quiet --extra-arg=-Wno-unknown-warning-option ${core} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "clang-tidy found problems:\n${out}")
endif()
