# The Windows tests under wine, through ctest. One wine session (a virtual X
# display of its own, a throw-away prefix with our assets installed) serves a
# whole ctest run: a fixture starts it and another ends it, so a single case
# can be run by name on a fresh build. The tests share the screen, the pointer
# and the prefix, so they take turns.
include(GoogleTest)

set(ORVANE_WINE_SESSION ${CMAKE_CURRENT_LIST_DIR}/wine_session.sh)
set(ORVANE_WINE_STATE ${CMAKE_BINARY_DIR}/wine-session)

# orvane_wine_test_properties(TEST...): what every test in the session needs.
function(orvane_wine_test_properties)
  set_tests_properties(${ARGN} PROPERTIES
    FIXTURES_REQUIRED wine_session RESOURCE_LOCK wine_session)
endfunction()

# orvane_wine_tests(TARGET TIMEOUT): one ctest test per GoogleTest case of
# TARGET, named TARGET.Suite.Case. The cases are read from the sources, so
# neither the build nor ctest's start runs wine.
function(orvane_wine_tests target timeout)
  set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR
    ${ORVANE_WINE_SESSION} run ${ORVANE_WINE_STATE} ${CMAKE_CROSSCOMPILING_EMULATOR})
  get_target_property(sources ${target} SOURCES)
  gtest_add_tests(TARGET ${target} SOURCES ${sources} TEST_PREFIX ${target}.
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR} EXTRA_ARGS --gtest_color=no TEST_LIST cases)
  orvane_wine_test_properties(${cases})
  set_tests_properties(${cases} PROPERTIES TIMEOUT ${timeout})

  # The reader sees a case only when its TEST line holds both names; one
  # wrapped by the formatter would silently drop out of ctest.
  set(declared 0)
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "^ *TEST(_F)? *\\(")
    list(LENGTH lines count)
    math(EXPR declared "${declared} + ${count}")
  endforeach()
  list(LENGTH cases found)
  if(NOT found EQUAL declared)
    message(FATAL_ERROR "${target}: ${declared} TEST lines but ${found} cases read; keep each "
                        "TEST(Suite, Case) on one line")
  endif()
endfunction()

# The variables above are wanted in every directory that includes this; the
# session's own tests only once.
get_property(session_added GLOBAL PROPERTY ORVANE_WINE_SESSION_ADDED)
if(session_added)
  return()
endif()
set_property(GLOBAL PROPERTY ORVANE_WINE_SESSION_ADDED TRUE)

add_test(NAME wine_session.Fixture.Start
  COMMAND ${ORVANE_WINE_SESSION} start ${ORVANE_WINE_STATE} ${CMAKE_CROSSCOMPILING_EMULATOR}
          ${ORVANE_ASSET_DIR})
add_test(NAME wine_session.Fixture.Stop COMMAND ${ORVANE_WINE_SESSION} stop ${ORVANE_WINE_STATE})
set_tests_properties(wine_session.Fixture.Start PROPERTIES
  FIXTURES_SETUP wine_session RESOURCE_LOCK wine_session TIMEOUT 600)
set_tests_properties(wine_session.Fixture.Stop PROPERTIES
  FIXTURES_CLEANUP wine_session RESOURCE_LOCK wine_session TIMEOUT 60)
