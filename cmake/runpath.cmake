# How installed programs and modules find their libraries.  By default each
# names them relative to its own folder ($ORIGIN), so an installed tree can be
# moved as a whole; the build tree has the same shape and runs with the same
# RUNPATH.  A distribution's package (TKV_RELOCATABLE=OFF) leaves the library
# to the system's search path and names only the simulator's private folder.
option(TKV_RELOCATABLE "Installed programs find their libraries relative to themselves" ON)

# tkv_find_libraries(<target> <folder> [SIMULATOR]): <target>, installed into
# <folder> (relative to the prefix), finds the library and, with SIMULATOR,
# the simulator.
function(tkv_find_libraries target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg SIMULATOR "" "")
  set(runpath "")
  if(TKV_RELOCATABLE)
    file(RELATIVE_PATH to_lib /${folder} /${CMAKE_INSTALL_LIBDIR})
    file(RELATIVE_PATH to_sim /${folder} /${TKVSIM_LIBDIR})
    set(runpath "$ORIGIN/${to_lib}")
    if(arg_SIMULATOR)
      list(APPEND runpath "$ORIGIN/${to_sim}")
    endif()
  elseif(arg_SIMULATOR)
    set(runpath ${CMAKE_INSTALL_PREFIX}/${TKVSIM_LIBDIR})
  endif()
  set_target_properties(${target} PROPERTIES
    INSTALL_RPATH "${runpath}" BUILD_WITH_INSTALL_RPATH ${TKV_RELOCATABLE})
endfunction()
