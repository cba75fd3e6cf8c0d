# SPDX-License-Identifier: GPL-3.0-or-later
# Manual pages installed gzipped, as Debian's policy wants them. A source
# ending in .in is configured first (@PROJECT_VERSION@ and the like).
find_program(GZIP_PROGRAM gzip REQUIRED)

# strakel_install_man_page(SOURCE <file> SECTION <n> [NAME <installed name>])
function(strakel_install_man_page)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "SOURCE;SECTION;NAME" "")
  get_filename_component(source ${arg_SOURCE} ABSOLUTE)
  get_filename_component(file_name ${source} NAME)
  string(REGEX REPLACE "\\.in$" "" file_name ${file_name})
  if(arg_NAME)
    set(file_name ${arg_NAME})
  endif()
  set(dir ${CMAKE_BINARY_DIR}/man/man${arg_SECTION})
  set(page ${dir}/${file_name})
  if(source MATCHES "\\.in$")
    configure_file(${source} ${page}.src @ONLY)
    set(source ${page}.src)
  endif()
  # -n keeps the name and time out of the header; -f replaces the old .gz.
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${page}
    COMMAND ${GZIP_PROGRAM} -9nf ${page}
    DEPENDS ${source}
    COMMENT "Compressing the manual page ${file_name}"
    VERBATIM)
  add_custom_target(strakel_man_${file_name} ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${arg_SECTION})
endfunction()
