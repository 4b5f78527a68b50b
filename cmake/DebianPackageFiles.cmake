# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the files staged for the Debian package, before it is packed: strips the
# executables as Debian's own packaging does (no symbols, no .comment or .note sections) and adds the files Debian
# policy asks of every package in /usr/share/doc/kelvara/: the machine-readable copyright and the compressed Debian
# changelog. Both are configured at build time (data/CMakeLists.txt) and named by CPACK_KELVARA_* variables.
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
if(NOT EXISTS ${staged}/bin)
    # Some CPack versions stage without the prefix.
    set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
endif()

file(GLOB executables ${staged}/bin/*)
foreach(executable IN LISTS executables)
    execute_process(COMMAND ${CPACK_KELVARA_STRIP} --remove-section=.comment --remove-section=.note ${executable}
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "strip failed on ${executable}")
    endif()
endforeach()

set(doc ${staged}/share/doc/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${doc})
file(COPY_FILE ${CPACK_KELVARA_COPYRIGHT} ${doc}/copyright)
file(COPY_FILE ${CPACK_KELVARA_CHANGELOG} ${doc}/changelog.Debian.gz)
file(CHMOD ${doc}/copyright ${doc}/changelog.Debian.gz PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
