# Runs the Windows test programs under Wine as the cross-compiling emulator:
# a private prefix under the build directory, code page 936, quiet Wine, and
# a virtual display (the fatal stop shows a message box) that the test run
# starts and stops itself through the fixture below.
#
# Include it after project() and before any add_subdirectory that makes test
# programs: targets take the emulator when they are created.

find_program(QUORLIN_WINE wine REQUIRED)  # and its loaders in /usr/lib/wine
find_program(QUORLIN_XVFB Xvfb REQUIRED)

set(QUORLIN_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)
set(QUORLIN_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORLIN_WINE_RUN} run ${QUORLIN_WINE_SESSION})

# The emulator starts the session (display, booted prefix, wineserver) at its
# first use and keeps it for the runs after; the session ends when Wine has
# been idle a while, or at once through this cleanup fixture. Call
# quorlin_wine_session_test(NAME...) on a test to have the run end with it.
add_test(NAME wine_session_stop COMMAND ${QUORLIN_WINE_RUN} stop ${QUORLIN_WINE_SESSION})
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session TIMEOUT 120)

function(quorlin_wine_session_test)
  set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine_session)
endfunction()
