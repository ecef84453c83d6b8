# Installation into the GNUInstallDirs places.  The install tree has the same
# shape as the build tree, so the relative paths below hold in both and an
# installation can be moved as a whole (DESTDIR, --prefix, a .deb).

include(CMakePackageConfigHelpers)

set(TKV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tekvaro)
set(TKV_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The programs find their libraries relative to their own folder (set where
# they are built); the programs with the simulator are installed in sim/.
install(TARGETS tkvcon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tkvsim LIBRARY DESTINATION ${TKVSIM_LIBDIR})
install(TARGETS util_tekvaro EXPORT tekvaroTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The development link made after each build; installed as the link it is.
install(FILES ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR}/libutil_tekvaro.so
  DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/lib/tekvaro.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# pkg-config: paths relative to the .pc file, so a moved installation works;
# a distribution's package names its prefix, so that pkg-config leaves out
# the system's own folders.
if(TKV_RELOCATABLE)
  file(RELATIVE_PATH TKV_PC_PREFIX /${TKV_PKGCONFIG_DIR} /)
  string(REGEX REPLACE "/$" "" TKV_PC_PREFIX "\${pcfiledir}/${TKV_PC_PREFIX}")
else()
  set(TKV_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/libutil_tekvaro.pc.in
  ${PROJECT_BINARY_DIR}/libutil_tekvaro.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/libutil_tekvaro.pc DESTINATION ${TKV_PKGCONFIG_DIR})

# CMake: find_package(tekvaro) gives tekvaro::util_tekvaro.
install(EXPORT tekvaroTargets NAMESPACE tekvaro:: DESTINATION ${TKV_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tekvaroConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tekvaroConfig.cmake INSTALL_DESTINATION ${TKV_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tekvaroConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tekvaroConfig.cmake
  ${PROJECT_BINARY_DIR}/tekvaroConfigVersion.cmake DESTINATION ${TKV_CMAKE_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/docs/tkvcon.1 ${PROJECT_SOURCE_DIR}/docs/tkvcon-sim.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/docs/libutil_tekvaro.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
# `man 3 tkvOpen`, and so for every function tekvaro.h declares: a page that
# sources the library's.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/lib/tekvaro.h)
file(READ ${PROJECT_SOURCE_DIR}/lib/tekvaro.h TKV_HEADER)
string(REGEX MATCHALL "\nTKV_API [^(;]*[ *]tkv[A-Za-z0-9_]*\\(" TKV_DECLARATIONS "${TKV_HEADER}")
foreach(declaration ${TKV_DECLARATIONS})
  string(REGEX REPLACE ".*[ *](tkv[A-Za-z0-9_]*)\\($" "\\1" function "${declaration}")
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/man3/${function}.3 CONTENT ".so man3/libutil_tekvaro.3\n")
  install(FILES ${PROJECT_BINARY_DIR}/man3/${function}.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
endforeach()

# bash-completion loads a command's completion from the file of its name.
set(TKV_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/completion/tkvcon.bash DESTINATION ${TKV_COMPLETION_DIR} RENAME tkvcon)
install(FILES ${PROJECT_SOURCE_DIR}/completion/tkvcon.bash DESTINATION ${TKV_COMPLETION_DIR} RENAME tkvcon-sim)
