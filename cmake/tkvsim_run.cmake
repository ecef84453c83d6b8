# tkvsim-run, the launcher that runs any command on the simulated controller:
# made in the build tree's bin/ (where tests and examples use it) and
# installed beside tkvcon-sim.  It finds libtkvsim.so relative to itself.
configure_file(${PROJECT_SOURCE_DIR}/sim/tkvsim-run.in
  ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_BINDIR}/tkvsim-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(PROGRAMS ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_BINDIR}/tkvsim-run DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/tkvsim-run.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
