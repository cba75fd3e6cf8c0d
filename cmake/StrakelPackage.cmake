# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package made by `cpack -G DEB`: everything `cmake --install`
# puts in place, under /usr, with its dependencies taken from the shared
# libraries that the programs link (dpkg-shlibdeps, from dpkg-dev).
set(STRAKEL_PACKAGE_MAINTAINER "The Strakel developers <strakel@example.org>" CACHE STRING
    "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME strakel)
set(CPACK_PACKAGE_VENDOR "The Strakel developers")
set(CPACK_PACKAGE_CONTACT "${STRAKEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo to pencil drawing")
# Lines under 80 columns, as Debian's tools want them.
set(CPACK_PACKAGE_DESCRIPTION
    "Strakel turns a photograph into a pencil drawing: it traces the photo's
edges as dark strokes on white paper and blends a little of the photo back
in, grey or in colour. It reads BMP, PNG, JPEG, TIFF, SGI, Cineon and
JPEG 2000 photos, and the drawing can be retouched and saved as BMP, PNG,
JPEG, TIFF, SGI or JPEG 2000.
The package holds the desktop program Strakel and the batch command-line
tool strakel-sketch.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt draws on X11 from its own package; on Wayland it wants its plugin there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
if(STRAKEL_SITE_HOST)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${STRAKEL_SITE_HOST}")
endif()

# The files Debian wants in every package: the licence in its machine-readable
# form, the changelog compressed, and the overrides of lintian's findings that
# are deliberate.
set(debian_dir ${PROJECT_SOURCE_DIR}/packaging/debian)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging-debian/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E copy ${debian_dir}/changelog ${CMAKE_BINARY_DIR}/packaging-debian/changelog
  COMMAND ${GZIP_PROGRAM} -9nf ${CMAKE_BINARY_DIR}/packaging-debian/changelog
  DEPENDS ${debian_dir}/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(strakel_debian_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${debian_dir}/copyright ${changelog_gz} DESTINATION ${doc_dir})
install(FILES ${debian_dir}/strakel.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${CPACK_PACKAGE_NAME})
include(CPack)
