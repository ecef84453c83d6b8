# `cpack -G DEB` from the build tree: one package holding the install tree.
set(CPACK_PACKAGE_NAME tekvaro)
set(CPACK_PACKAGE_VENDOR "tekvaro developers")
set(TKV_PACKAGE_MAINTAINER "tekvaro developers <tekvaro-dev@example.org>" CACHE STRING
  "Maintainer named in the packages")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TKV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "register-level debug console for a PCI graphics and display controller")
set(CPACK_PACKAGE_DESCRIPTION
  "tkvcon peeks and pokes the controller's registers and video memory, talks to
I2C devices, starts zoom video capture, reads monitors' EDID and the PCI
configuration space, interactively or one operation per run. libutil_tekvaro
is the C library behind it; tkvcon-sim runs tkvcon on a simulated controller.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# dpkg-shlibdeps names the C library version the binaries need; the
# package's own library is found in the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR})
include(CPack)
