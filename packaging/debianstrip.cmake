# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack on the installed tree before it packs it: the programs lose the sections that
# "strip" without arguments keeps, as lintian asks (binary-has-unneeded-section).
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
    execute_process(
        COMMAND ${CPACK_DEBIAN_STRIP} --remove-section=.comment --remove-section=.note ${program}
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot strip ${program}")
    endif()
endforeach()
