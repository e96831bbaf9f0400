# Registers the Windows-side test programs of ORVH_WINDOWS_BUILD_DIR as tests of this
# (Linux) tree, run under Wine on the test bench: a private Xvfb display and a booted
# template prefix made once per ctest run (fixture "wine_bench"), copied for each program.
set(ORVH_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
set(bench ${PROJECT_SOURCE_DIR}/tests/bench/bench.sh)

add_test(NAME bench.setup COMMAND ${bench} setup ${ORVH_BENCH_DIR})
add_test(NAME bench.cleanup COMMAND ${bench} cleanup ${ORVH_BENCH_DIR})
set_tests_properties(bench.setup PROPERTIES FIXTURES_SETUP wine_bench LABELS wine)
set_tests_properties(bench.cleanup PROPERTIES FIXTURES_CLEANUP wine_bench LABELS wine)

foreach(level wine e2e)
  file(GLOB tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${level}/*_test.cpp)
  foreach(test_source IN LISTS tests)
    get_filename_component(name ${test_source} NAME_WE)
    add_test(NAME ${level}.${name}
             COMMAND ${bench} run ${ORVH_BENCH_DIR} ${ORVH_WINDOWS_BUILD_DIR}/bin/${name}.exe)
    set_tests_properties(${level}.${name} PROPERTIES FIXTURES_REQUIRED wine_bench LABELS ${level} TIMEOUT 600)
  endforeach()
endforeach()

# Restarting Windows takes a whole prefix down, so it is watched from here, in prefixes of
# its own.
add_test(NAME wine.restart_check
         COMMAND ${PROJECT_SOURCE_DIR}/tests/bench/restart_check.sh ${ORVH_BENCH_DIR} ${ORVH_WINDOWS_BUILD_DIR}/bin)
set_tests_properties(wine.restart_check PROPERTIES FIXTURES_REQUIRED wine_bench LABELS wine TIMEOUT 600)

# A run that removes obsolete fonts restarts Windows, which ends the whole prefix: it is
# watched from Linux.
add_test(NAME e2e.fonts_restart_check
         COMMAND ${PROJECT_SOURCE_DIR}/tests/bench/fonts_restart_check.sh ${ORVH_BENCH_DIR} ${ORVH_WINDOWS_BUILD_DIR})
set_tests_properties(e2e.fonts_restart_check PROPERTIES FIXTURES_REQUIRED wine_bench LABELS e2e TIMEOUT 600)
