# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a MIME database from Strakel's MIME package alone, in SCRATCH, and
# checks that it knows Cineon photos by their name and by their first bytes.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/packages")
file(COPY "${MIME_XML}" DESTINATION "${SCRATCH}/packages")
execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${SCRATCH}" RESULT_VARIABLE rc
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR err MATCHES "[Ee]rror|[Ww]arning")
  message(FATAL_ERROR "update-mime-database: ${rc} ${err}")
endif()
file(READ "${SCRATCH}/globs" globs)
if(NOT globs MATCHES "image/x-cineon:\\*\\.cin")
  message(FATAL_ERROR "no glob for Cineon: ${globs}")
endif()
file(READ "${SCRATCH}/magic" magic HEX)
# Both byte orders of the Cineon magic number.
if(NOT magic MATCHES "802a5fd7" OR NOT magic MATCHES "d75f2a80")
  message(FATAL_ERROR "the magic of Cineon is missing")
endif()
