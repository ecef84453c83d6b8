# How installed programs find their libraries.  By default they name them
# relative to themselves ($ORIGIN), so an installed tree can be moved as a
# whole; the build tree has the same shape and runs with the same RUNPATH.
# A distribution's package (TKV_RELOCATABLE=OFF) leaves the library to the
# system's search path and names only the simulator's private folder.
option(TKV_RELOCATABLE "Installed programs find their libraries relative to themselves" ON)
if(TKV_RELOCATABLE)
  set(TKV_PROGRAM_RPATH "$ORIGIN/${TKV_BIN_TO_LIB}")
  set(TKV_SIM_PROGRAM_RPATH "$ORIGIN/${TKV_BIN_TO_LIB};$ORIGIN/${TKVSIM_RELATIVE_PATH}")
else()
  set(TKV_PROGRAM_RPATH "")
  set(TKV_SIM_PROGRAM_RPATH "${CMAKE_INSTALL_PREFIX}/${TKVSIM_LIBDIR}")
endif()
