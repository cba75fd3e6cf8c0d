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
set(CPACK_PACKAGE_DESCRIPTION
    "Strakel turns a photograph into a pencil drawing: it traces the photo's edges as
dark strokes on white paper and blends a little of the photo back in, grey or in
colour. The drawing can be retouched and saved as PNG, BMP, JPEG, TIFF or SGI.
The package holds the desktop program Strakel and the batch command-line tool
strakel-sketch.")
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
include(CPack)
