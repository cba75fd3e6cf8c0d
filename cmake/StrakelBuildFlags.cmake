# SPDX-License-Identifier: GPL-3.0-or-later
# Hardening and reproducibility flags for every target of ours. The flags from
# the environment (CFLAGS, CXXFLAGS, LDFLAGS, as dpkg-buildflags sets them) are
# CMake's own CMAKE_<LANG>_FLAGS; where they already choose a setting, ours
# step aside, so that a packager's choice wins.

option(STRAKEL_HARDENING "Harden optimised builds: fortified functions, stack protector, full RELRO" ON)

set(strakel_user_cflags "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS}")
set(strakel_user_ldflags "${CMAKE_EXE_LINKER_FLAGS}")

if(STRAKEL_HARDENING)
  # The fortified functions need the optimiser, and the sanitizers check the
  # same calls better without them.
  if(NOT strakel_user_cflags MATCHES "_FORTIFY_SOURCE" AND NOT STRAKEL_SANITIZE
     AND NOT STRAKEL_BUILD_FUZZERS)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
  endif()
  if(NOT strakel_user_cflags MATCHES "-f(no-)?stack-protector")
    add_compile_options($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-fstack-protector-strong>)
  endif()
  set(strakel_z)
  if(NOT strakel_user_ldflags MATCHES "relro")
    list(APPEND strakel_z -z,relro)
  endif()
  if(NOT strakel_user_ldflags MATCHES "-z,(now|lazy)|-z (now|lazy)")
    list(APPEND strakel_z -z,now)
  endif()
  if(strakel_z)
    list(JOIN strakel_z "," strakel_z)
    add_link_options($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:LINKER:${strakel_z}>)
  endif()
endif()

# Reproducible builds: the same commit built in any two folders gives the same
# bytes. Paths of the source and build trees are written relative in the
# objects (__FILE__, debug information), and every timestamp that reaches a
# file (the icons embedded in the program, the package's files) is the last
# commit's time unless SOURCE_DATE_EPOCH says otherwise.
# The build tree's map comes last, so that it wins where the build tree lies
# inside the source tree.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(strakel_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_package(Git QUIET)
  set(strakel_epoch "")
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE strakel_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET RESULT_VARIABLE strakel_git_result)
    if(NOT strakel_git_result EQUAL 0)
      set(strakel_epoch "")
    else()
      # A new commit or checkout configures again, for the new commit's time.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute --git-path logs/HEAD
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE strakel_head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(strakel_head_log AND EXISTS "${strakel_head_log}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${strakel_head_log})
      endif()
    endif()
  endif()
  if(strakel_epoch STREQUAL "")
    # Outside a git checkout (a source tarball): the top CMakeLists.txt's time.
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt strakel_epoch "%s" UTC)
  endif()
endif()
if(NOT strakel_epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${strakel_epoch}'")
endif()
set(STRAKEL_SOURCE_DATE_EPOCH ${strakel_epoch} CACHE INTERNAL "Timestamp of this build's files")
# Steps that write the epoch into a file depend on this one, which changes only
# with the epoch.
set(STRAKEL_SOURCE_DATE_EPOCH_FILE ${PROJECT_BINARY_DIR}/source_date_epoch.txt)
file(CONFIGURE OUTPUT ${STRAKEL_SOURCE_DATE_EPOCH_FILE} CONTENT "${STRAKEL_SOURCE_DATE_EPOCH}\n")

# cpack reads this when it packs: the package's timestamps are the same epoch,
# unless cpack itself runs with SOURCE_DATE_EPOCH set.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/StrakelCPackEpoch.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT
"if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${STRAKEL_SOURCE_DATE_EPOCH})
endif()
")
