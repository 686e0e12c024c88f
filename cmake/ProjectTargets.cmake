# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Warnings as errors for every target of ours, never for Qt's generated code.
function(project_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# project_test_environment(name var): the environment of the test \a name, in var.
# Every test runs with its own throw-away home, config and data folders, so that no test ever
# reads or writes the settings and files of the person running it. GUI tests use the offscreen
# platform; speech is always the silent stand-in.
function(project_test_environment name var)
    set(home ${CMAKE_BINARY_DIR}/test-home/${name})
    file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/cache ${home}/runtime)
    file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set(${var}
        HOME=${home}
        XDG_CONFIG_HOME=${home}/config
        XDG_DATA_HOME=${home}/data
        XDG_CACHE_HOME=${home}/cache
        XDG_RUNTIME_DIR=${home}/runtime
        SPEECH_SILENT=1
        QT_QPA_PLATFORM=offscreen
        ASAN_OPTIONS=detect_leaks=1
        LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0
        UBSAN_OPTIONS=print_stacktrace=1
        PARENT_SCOPE)
endfunction()

# project_test(NAME name SOURCES ... LIBS ... [ALSO_SCALED factor])
# ALSO_SCALED runs the same test a second time, as name_scaled, on a desktop scaled by
# QT_SCALE_FACTOR=factor.
function(project_test)
    cmake_parse_arguments(T "" "NAME;ALSO_SCALED" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    project_warnings(${T_NAME})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    project_test_environment(${T_NAME} env)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
    if(T_ALSO_SCALED)
        set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
        set(scaled_home ${CMAKE_BINARY_DIR}/test-home/${T_NAME}_scaled)
        file(MAKE_DIRECTORY ${scaled_home}/config ${scaled_home}/data ${scaled_home}/cache
            ${scaled_home}/runtime)
        file(CHMOD ${scaled_home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE
            OWNER_EXECUTE)
        string(REPLACE "${home}" "${scaled_home}" scaled_env "${env}")
        add_test(NAME ${T_NAME}_scaled COMMAND ${T_NAME})
        set_tests_properties(${T_NAME}_scaled PROPERTIES
            ENVIRONMENT "${scaled_env};QT_SCALE_FACTOR=${T_ALSO_SCALED}" TIMEOUT 300)
    endif()
endfunction()
