# The Windows-side test programs of ORVH_WINDOWS_BUILD_DIR as tests of this tree, each run under
# Wine in a copy of a template prefix booted once per ctest run (fixture "wine_host").
set(ORVH_HOST_DIR ${CMAKE_BINARY_DIR}/wine_host)
set(host ${PROJECT_SOURCE_DIR}/tools/wine_host.sh)

add_test(NAME wine_host.setup COMMAND ${host} setup ${ORVH_HOST_DIR})
add_test(NAME wine_host.cleanup COMMAND ${host} cleanup ${ORVH_HOST_DIR})
set_tests_properties(wine_host.setup PROPERTIES FIXTURES_SETUP wine_host LABELS wine)
set_tests_properties(wine_host.cleanup PROPERTIES FIXTURES_CLEANUP wine_host LABELS wine)

foreach(level wine e2e)
  file(GLOB tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${level}/*_test.cpp)
  foreach(test_source IN LISTS tests)
    get_filename_component(name ${test_source} NAME_WE)
    add_test(NAME ${level}.${name} COMMAND ${host} run ${ORVH_HOST_DIR} ${ORVH_WINDOWS_BUILD_DIR}/bin/${name}.exe)
    set_tests_properties(${level}.${name} PROPERTIES FIXTURES_REQUIRED wine_host LABELS ${level} TIMEOUT 600)
    # Boxes and windows are read from the one shared display: no two such programs at once.
    if(level STREQUAL "e2e" OR name STREQUAL "window_test")
      set_tests_properties(${level}.${name} PROPERTIES RESOURCE_LOCK display)
    endif()
  endforeach()
endforeach()

add_test(NAME e2e.fonts_restart_check
         COMMAND ${host} with ${ORVH_HOST_DIR} ${PROJECT_SOURCE_DIR}/tests/e2e/fonts_restart_check.sh ${ORVH_HOST_DIR} ${ORVH_WINDOWS_BUILD_DIR})
set_tests_properties(e2e.fonts_restart_check PROPERTIES FIXTURES_REQUIRED wine_host LABELS e2e TIMEOUT 600)

# Every kill point of four roads of the update run and a copy of a package of real size cut
# short, each in a fresh prefix, two at a time; the bench's packages made first.
add_test(NAME killsweep.large_packages COMMAND ${CMAKE_COMMAND} --build ${ORVH_WINDOWS_BUILD_DIR} --target orvh_bench_packages)
set_tests_properties(killsweep.large_packages PROPERTIES FIXTURES_SETUP large_packages LABELS killsweep TIMEOUT 600)
add_test(NAME killsweep.roads
         COMMAND ${host} with ${ORVH_HOST_DIR} ${PROJECT_SOURCE_DIR}/tests/killsweep/kill_sweep.sh ${ORVH_HOST_DIR} ${ORVH_WINDOWS_BUILD_DIR})
set_tests_properties(killsweep.roads PROPERTIES FIXTURES_REQUIRED "wine_host;large_packages" LABELS killsweep
                     TIMEOUT 600 RESOURCE_LOCK display)
