# Helpers shared by every folder of the project.

# Warnings on and fatal for our own code. The fuzz build (clang) keeps
# them as warnings: clang finds other things in Qt's own macros, and the
# GCC builds are where warnings are held to zero.
function(ox8_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(NOT OX8_FUZZ)
        target_compile_options(${target} PRIVATE -Werror -Wno-error=deprecated-declarations)
    endif()
endfunction()

# ox8_library(NAME SOURCES ... LIBS ...): one static library per folder.
function(ox8_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    ox8_warnings(${name})
endfunction()

# ox8_add_test(NAME SOURCES ... LIBS ... [GUI] [LABELS ...])
# One QtTest executable per unit. GUI tests run on the offscreen platform.
# Every test is labelled with the folders it sits in below tests/, so
# `ctest -L device` runs tests/device/ and all its subfolders.
function(ox8_add_test name)
    cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt::Test ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE OX8_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
        OX8_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    ox8_warnings(${name})
    if(ARG_GUI)
        add_test(NAME ${name} COMMAND ${name} -platform offscreen)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set(env "QT_QPA_PLATFORM=offscreen")
    if(OX8_SANITIZE)
        list(APPEND env "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" ";" labels "${folder}")
    list(APPEND labels ${ARG_LABELS})
    list(REMOVE_DUPLICATES labels)
    if(labels)
        set_tests_properties(${name} PROPERTIES LABELS "${labels}")
    endif()
    if(ARG_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    else()
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    endif()
endfunction()

# Adds every immediate subdirectory that has a CMakeLists.txt, in name order.
# Subfolders of a library folder add their sources to the folder's target
# with target_sources(); test subfolders add their own executables.
function(ox8_add_subdirs)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# ox8_use_cloud_server(TARGET): the test runs the built ox8cloud through
# tests/common/cloudserver.h (the macro OX8_CLOUD_PATH names the program).
function(ox8_use_cloud_server target)
    target_compile_definitions(${target} PRIVATE OX8_CLOUD_PATH="$<TARGET_FILE:ox8cloud>")
    target_link_libraries(${target} PRIVATE Qt::Network)
    add_dependencies(${target} ox8cloud)
endfunction()
