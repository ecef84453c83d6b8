# Parts that need a package which is not installed are left out of the build
# with one line saying so.  Each also stands in the test run as a skipped
# test, so that `make test` never passes over it in silence.
#   tkv_skip("the Python module" "pybind11-dev")
function(tkv_skip what packages)
  set(line "Skipping ${what} (needs: apt-get install ${packages})")
  message(NOTICE "${line}")
  if(TKV_TESTS)
    add_test(NAME "${line}" COMMAND ${CMAKE_COMMAND} -E true)
    set_tests_properties("${line}" PROPERTIES SKIP_RETURN_CODE 0)
  endif()
endfunction()
