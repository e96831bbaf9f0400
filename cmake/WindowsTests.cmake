# One console test program per tests/<level>/*_test.cpp, named after the file, placed
# in bin/ beside OrvhUpdate.exe. The Linux side registers the same names (see
# tests/register_wine_tests.cmake), so adding a file is all a new test needs.
function(orvh_add_windows_tests directory)
  file(GLOB tests CONFIGURE_DEPENDS ${directory}/*_test.cpp)
  foreach(test_source IN LISTS tests)
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(${name} ${test_source})
    target_link_libraries(${name} PRIVATE orvh_delivery GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
    target_link_options(${name} PRIVATE ${ORVH_STATIC_LINK})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    add_dependencies(${name} OrvhUpdate OrvhSet orvh_standins resources_module)
  endforeach()
endfunction()
