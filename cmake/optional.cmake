# Parts that need a package which is not installed are left out of the build
# with one line saying so.  Each also stands in the test run as a skipped
# test, so that the test run never passes over it in silence; with
# TKV_REQUIRE_ALL (what `make test` sets, after installing the build
# dependencies) a missing part stops the configuration instead.
#   tkv_skip("the Python module" "pybind11-dev")
option(TKV_REQUIRE_ALL "Fail, rather than skip, where a part's packages are missing" OFF)
# Sets `found` when the build's Python has pytest; otherwise skips `what`.
function(tkv_find_pytest found what)
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import pytest"
    RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
  if(missing)
    tkv_skip("${what}" "python3-pytest")
    set(${found} OFF PARENT_SCOPE)
  else()
    set(${found} ON PARENT_SCOPE)
  endif()
endfunction()

function(tkv_skip what packages)
  set(line "Skipping ${what} (needs: apt-get install ${packages})")
  if(TKV_REQUIRE_ALL)
    message(FATAL_ERROR "Cannot build ${what}: install ${packages} (apt-get build-dep ./ installs everything)")
  endif()
  message(NOTICE "${line}")
  if(TKV_TESTS)
    add_test(NAME "${line}" COMMAND ${CMAKE_COMMAND} -E true)
    set_tests_properties("${line}" PROPERTIES SKIP_RETURN_CODE 0)
  endif()
endfunction()
