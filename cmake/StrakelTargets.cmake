# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers that give every target of ours the same warnings, sanitizers and test
# registration.

# Warnings are errors only with STRAKEL_WERROR, so that a newer compiler's new
# warning never stops a user's build.
set(STRAKEL_WARNINGS -Wall -Wextra)
if(STRAKEL_WERROR)
  list(APPEND STRAKEL_WARNINGS -Werror)
endif()
# GCC 12's optimiser reports impossible overlaps inside the standard library's
# string concatenation (a known false positive); the warning is of no use there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND STRAKEL_WARNINGS -Wno-restrict)
  # At -O3 the same optimiser also takes long brace-initialised tables of
  # strings for possibly uninitialised; the other builds keep the warning.
  list(APPEND STRAKEL_WARNINGS $<$<CONFIG:Release>:-Wno-maybe-uninitialized>)
endif()

if(STRAKEL_SANITIZE)
  # ThreadSanitizer keeps shadow memory of its own and builds apart from the
  # address and leak sanitizers.
  if(STRAKEL_SANITIZE MATCHES "thread" AND STRAKEL_SANITIZE MATCHES "address|leak")
    message(FATAL_ERROR "STRAKEL_SANITIZE: thread cannot be combined with address or leak")
  endif()
  add_compile_options(-fsanitize=${STRAKEL_SANITIZE} -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${STRAKEL_SANITIZE})
endif()

# The fuzzers can only steer by the coverage of the code they call, so every
# library is instrumented too.
if(STRAKEL_BUILD_FUZZERS)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# strakel_library(NAME SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
function(strakel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${STRAKEL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  # Only the libraries that use Qt run the meta-object compiler.
  if("${ARG_PUBLIC_DEPS};${ARG_PRIVATE_DEPS}" MATCHES "Qt6::")
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# strakel_executable(NAME SOURCES ... [DEPS ...])
function(strakel_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${STRAKEL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# strakel_gtest(NAME SOURCES ... [DEPS ...]): a GoogleTest program run by CTest.
function(strakel_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${STRAKEL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "STRAKEL_TEST_CORPUS=${PROJECT_SOURCE_DIR}/fuzz/corpus")
endfunction()

# strakel_qtest(NAME SOURCES ... [DEPS ...]): a QtTest program on the offscreen
# platform, run by CTest; skipped when the Qt parts are not built.
function(strakel_qtest name)
  if(NOT STRAKEL_BUILD_GUI)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_compile_options(${name} PRIVATE ${STRAKEL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test Qt6::Widgets)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  # Qt keeps settings (the file dialog's history among them) and caches under
  # the user's folders: a test keeps its own, inside the build tree, and its
  # own home folder. The skin
  # is looked for only beside the test program and in the test's own folder,
  # never where one may be installed on the machine.
  # HOME too: the file dialogs list the home folder and the user's folders
  # fall back to it.
  set(home ${CMAKE_CURRENT_BINARY_DIR}/${name}.home)
  file(MAKE_DIRECTORY ${home})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;STRAKEL_TEST_CORPUS=${PROJECT_SOURCE_DIR}/fuzz/corpus;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_CACHE_HOME=${home}/cache;XDG_DATA_HOME=${home}/data;STRAKEL_SKIN_DIRS=${home}/skins")
endfunction()

# strakel_fuzzer(NAME SOURCE src.cpp DEPS ...): with STRAKEL_BUILD_FUZZERS a
# libFuzzer program; in every build a replay program that feeds each stored
# input of fuzz/corpus/NAME to the same entry point under CTest.
function(strakel_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(STRAKEL_BUILD_FUZZERS)
    add_executable(fuzz_${name} ${ARG_SOURCE})
    target_compile_options(fuzz_${name} PRIVATE ${STRAKEL_WARNINGS} -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
    target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR})
  endif()
  if(STRAKEL_BUILD_TESTS)
    add_executable(replay_${name} ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_compile_options(replay_${name} PRIVATE ${STRAKEL_WARNINGS})
    target_link_libraries(replay_${name} PRIVATE ${ARG_DEPS})
    target_include_directories(replay_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    add_test(NAME replay_${name} COMMAND replay_${name} ${corpus})
  endif()
endfunction()
