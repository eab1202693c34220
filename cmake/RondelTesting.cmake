# GoogleTest for both builds, and the Wine test platform for the Windows build.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest's sources; build them with the cross compiler.
  set(RONDEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${RONDEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # Every Windows test runs in the project's own prefix, under build/<preset>/wine.
  set(RONDEL_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
  set(RONDEL_WINE_RUN_SCRIPT ${CMAKE_SOURCE_DIR}/tests/wine/wine-run)
  set(RONDEL_WINE_RUN ${RONDEL_WINE_RUN_SCRIPT} --root ${RONDEL_WINE_ROOT})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RONDEL_WINE_RUN})

  add_test(NAME wine.setup COMMAND ${RONDEL_WINE_RUN} --setup)
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine.shutdown COMMAND ${RONDEL_WINE_RUN} --shutdown)
  set_tests_properties(wine.shutdown PROPERTIES FIXTURES_CLEANUP wine)
endif()

# rondel_add_gtest(target): registers each test case of a GoogleTest program with CTest.
# Under Wine the cases are listed when CTest starts (the prefix then exists), and every case
# needs the prefix, its server and its display.
function(rondel_add_gtest target)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
      PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
  else()
    gtest_discover_tests(${target}
      DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 120)
  endif()
endfunction()
