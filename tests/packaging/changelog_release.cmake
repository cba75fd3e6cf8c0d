# SPDX-License-Identifier: GPL-3.0-or-later
# Fails unless the newest entry of the Debian changelog and of CHANGELOG.md is
# VERSION, so that a version bump cannot ship without its changelog entry.
file(STRINGS "${DEBIAN_CHANGELOG}" first LIMIT_COUNT 1)
if(NOT first MATCHES "^strakel \\(([^)]+)\\) ")
  message(FATAL_ERROR "${DEBIAN_CHANGELOG} does not begin with 'strakel (VERSION) ': ${first}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "newest entry of ${DEBIAN_CHANGELOG} is '${CMAKE_MATCH_1}', the project is ${VERSION}")
endif()
file(STRINGS "${CHANGELOG_MD}" headings REGEX "^## ")
list(GET headings 0 newest)
if(NOT newest MATCHES "^## ([^ ]+) ")
  message(FATAL_ERROR "${CHANGELOG_MD} has no '## VERSION (DATE)' heading")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "newest entry of ${CHANGELOG_MD} is '${CMAKE_MATCH_1}', the project is ${VERSION}")
endif()
