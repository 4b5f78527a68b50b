# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DFILE=<path> -P EnsureEmptyFile.cmake: creates an empty file at <path> when there is none; an existing file
# is left exactly as it is.
if(NOT EXISTS "${FILE}")
    get_filename_component(folder "${FILE}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(WRITE "${FILE}" "")
endif()
