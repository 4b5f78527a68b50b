# SPDX-License-Identifier: GPL-3.0-or-later
# The application id: the desktop entry's name (data/) and the desktop file name the program gives its windows (app/).
set(KELVARA_APP_ID org.kelvara.Kelvara)
# The Debian package's version is the program's, a dash and this revision of its packaging (also the version of the
# top entry of its changelog, data/changelog.Debian.in).
set(KELVARA_DEBIAN_REVISION 1)

# The program's web site and its author's contact as the program itself shows them (auxwin/ProgramInfo.h, read by the
# help and upgrade windows), so that the Debian package, its copyright file and the AppStream metainfo name the same
# site and address: KELVARA_HOMEPAGE and KELVARA_MAINTAINER ("Name <address>").
file(STRINGS ${CMAKE_SOURCE_DIR}/auxwin/ProgramInfo.h program_info ENCODING UTF-8
    REGEX "Program(Author|Email|WebSite) = ")
foreach(line IN LISTS program_info)
    if(line MATCHES "Program([A-Za-z]+) = \"([^\"]*)\"")
        set(program_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
    endif()
endforeach()
if(NOT program_Author OR NOT program_Email OR NOT program_WebSite)
    message(FATAL_ERROR "auxwin/ProgramInfo.h no longer names ProgramAuthor, ProgramEmail and ProgramWebSite")
endif()
set(KELVARA_HOMEPAGE ${program_WebSite})
set(KELVARA_MAINTAINER "${program_Author} <${program_Email}>")
