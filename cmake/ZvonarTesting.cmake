# zvonar_gtest(NAME src...): a GoogleTest program over the core, registered with CTest.
function(zvonar_gtest name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE core GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "ZVONAR_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# zvonar_qtest(NAME src...): a Qt Test program over the windows, run offscreen
# and in the C locale, so that a window started without settings.ini speaks
# English whatever the machine's locale.
function(zvonar_qtest name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE gui Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
                       "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8")
endfunction()
