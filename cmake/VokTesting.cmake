# Test helpers shared by every test folder.
#
# Natively GoogleTest comes from the system; for the Windows build it is built
# from /usr/src/googletest by the cross compiler. Windows test binaries run
# under Wine through CMAKE_CROSSCOMPILING_EMULATOR (cmake/wine-run.sh), one
# CTest test per binary: Wine's start-up cost makes a process per test case
# too slow.

if(CMAKE_CROSSCOMPILING)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(VOK_GTEST_LIBS gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(VOK_GTEST_LIBS GTest::gtest GTest::gtest_main)
  include(GoogleTest)
endif()

# vok_add_gtest(name SOURCES... [LIBS ...]): a GoogleTest binary registered with CTest.
# The corpus folder reaches the tests as VOK_CORPUS_DIR (environment) so that
# the same binary can be pointed elsewhere.
function(vok_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${VOK_GTEST_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  vok_warnings(${name})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "VOK_CORPUS_DIR=${VOK_CORPUS_DIR}" TIMEOUT 600)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "VOK_CORPUS_DIR=${VOK_CORPUS_DIR}" TIMEOUT 600)
  endif()
endfunction()
