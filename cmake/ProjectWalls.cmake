# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# project_wall(TARGET FORBIDDEN library...)
# Keeps a library apart from the layers built on it: the configuration stops when TARGET links
# one of them, directly or through other libraries of ours, and the test TARGET_wall fails when a
# source in TARGET's folder includes a header from one of their folders.
function(project_wall target)
    cmake_parse_arguments(W "" "" "FORBIDDEN" ${ARGN})
    set(seen "")
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" current "${current}")
        if(current IN_LIST W_FORBIDDEN)
            message(FATAL_ERROR "${target} must not link ${current}, which is built on it")
        endif()
        if(TARGET ${current} AND NOT current IN_LIST seen AND current MATCHES "^(tolvane|platform)_")
            list(APPEND seen ${current})
            get_target_property(links ${current} LINK_LIBRARIES)
            get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
            list(APPEND queue ${links} ${interface})
        endif()
    endwhile()
    if(BUILD_TESTING)
        set(forbidden "")
        foreach(library IN LISTS W_FORBIDDEN)
            get_target_property(folder ${library} SOURCE_DIR)
            file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${folder})
            list(APPEND forbidden ${folder})
        endforeach()
        get_target_property(folder ${target} SOURCE_DIR)
        add_test(NAME ${target}_wall COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder}
            "-DFORBIDDEN=${forbidden}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake)
    endif()
endfunction()
