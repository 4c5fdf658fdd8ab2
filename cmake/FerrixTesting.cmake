# ferrix_add_test(NAME SOURCES files... LIBRARIES libs...)
# One GoogleTest executable per subsystem; each test case becomes a CTest test.
if(FERRIX_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(ferrix_add_test name)
  if(NOT FERRIX_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} ferrix_warnings GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
endfunction()

# The properties of every test binary that builds Qt widgets: no display is
# needed; under the sanitizers, what Qt Multimedia's sample loader leaves
# behind at exit is not reported (see cmake/lsan_qt_multimedia.supp).
set(FERRIX_QT_TEST_PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
if(FERRIX_SANITIZE)
  list(APPEND FERRIX_QT_TEST_PROPERTIES ENVIRONMENT_MODIFICATION
       "LSAN_OPTIONS=set:suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan_qt_multimedia.supp:fast_unwind_on_malloc=0")
endif()
