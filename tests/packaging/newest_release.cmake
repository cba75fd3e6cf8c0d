# SPDX-License-Identifier: GPL-3.0-or-later
# Fails unless the first (newest) release of the metainfo is VERSION, so that
# a version bump cannot ship with the previous release notes.
file(READ "${METAINFO}" text)
string(REGEX MATCH "<release version=\"([^\"]+)\"" _ "${text}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "newest release in ${METAINFO} is '${CMAKE_MATCH_1}', the project is ${VERSION}")
endif()
