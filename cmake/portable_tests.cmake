# The plug-in's tests that need no reference host, for the cross and macOS
# builds. A test file qualifies when neither it nor a header it includes
# from tests/ includes the reference host (host/), the command line (cli/)
# or the host-based helpers (tests/common/, tests/cli/). Files keep their
# native grouping: one executable per tests/<subsystem>/, each case its own
# CTest entry, each run writing GoogleTest's XML report into test-xml/.

# GoogleTest built for the target from Debian's sources, or the installed
# package where there are none (macOS).
set(TWINEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built for the target")
if(EXISTS ${TWINEL_GTEST_SOURCE}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${TWINEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Sets `out` to TRUE when `file` and the tests/ headers it includes reach
# nothing of the reference host.
function(twinel_host_free file out)
  set(${out} TRUE PARENT_SCOPE)
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" header "${line}")
    if(header MATCHES "^(host|cli|tests/common|tests/cli)/")
      set(${out} FALSE PARENT_SCOPE)
      return()
    endif()
    if(header MATCHES "^tests/" AND EXISTS ${CMAKE_SOURCE_DIR}/${header})
      twinel_host_free(${CMAKE_SOURCE_DIR}/${header} nested)
      if(NOT nested)
        set(${out} FALSE PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
endfunction()

# With the Windows host (cmake/windows_host.cmake), every test file is
# built: the cases that need POSIX (fork, FIFOs, sockets, modes, resource
# limits, a Linux program to start) are compiled only where _WIN32 is not
# defined; the command line's and the page session's tests start twinel.exe
# and use its library. The page itself (tests/web/page_test.js) is driven
# by a browser on Linux only.
set(TWINEL_TESTS_WITH_HOST FALSE)
if(TARGET twinel_host)
  set(TWINEL_TESTS_WITH_HOST TRUE)
  include(${CMAKE_SOURCE_DIR}/cmake/test_common.cmake)
  target_compile_options(twinel_test_common PRIVATE ${TWINEL_TEST_TOOL_OPTIONS})
  foreach(target gtest gtest_main gmock gmock_main)
    if(TARGET ${target})
      target_compile_options(${target} PRIVATE ${TWINEL_TEST_TOOL_OPTIONS})
    endif()
  endforeach()
endif()

# Relative to the working directory: a Windows program reads a Unix path
# as relative to its drive.
set(TWINEL_TEST_XML_DIR test-xml)
file(GLOB TWINEL_TEST_DIRS LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR}/tests
  ${CMAKE_SOURCE_DIR}/tests/*)
set(TWINEL_PORTABLE_TESTS "")
foreach(dir ${TWINEL_TEST_DIRS})
  if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/${dir} OR dir STREQUAL "common")
    continue()
  endif()
  if((dir STREQUAL "cli" OR dir STREQUAL "web") AND NOT TWINEL_TESTS_WITH_HOST)
    continue()
  endif()
  file(GLOB candidates CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*_test.cpp)
  set(sources "")
  set(uses_gmock FALSE)
  foreach(file ${candidates})
    set(portable TRUE)
    if(NOT TWINEL_TESTS_WITH_HOST)
      twinel_host_free(${file} portable)
    endif()
    if(portable)
      list(APPEND sources ${file})
      file(STRINGS ${file} gmock_includes REGEX "include[ \t]*<gmock/")
      if(gmock_includes)
        set(uses_gmock TRUE)
      endif()
      file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${file})
      list(APPEND TWINEL_PORTABLE_TESTS ${rel})
    endif()
  endforeach()
  if(NOT sources)
    continue()
  endif()
  set(target test_${dir})
  if(dir STREQUAL "cli")
    list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/cli/cli_runner.cpp)
  endif()
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${TWINEL_PLUGIN_INCLUDE})
  target_link_libraries(${target} PRIVATE twinel_core GTest::gtest_main)
  if(dir STREQUAL "cli" OR dir STREQUAL "web")
    # The glTF validator runs on Linux only.
    target_link_libraries(${target} PRIVATE twinel_cli_lib)
    target_compile_definitions(${target} PRIVATE TWINEL_GLTF_NODE="" TWINEL_GLTF_VALIDATOR_MODULES="")
    add_dependencies(${target} twinel_cli)
  endif()
  if(TWINEL_TESTS_WITH_HOST)
    target_link_libraries(${target} PRIVATE twinel_test_common)
    target_compile_options(${target} PRIVATE ${TWINEL_TEST_TOOL_OPTIONS})
  endif()
  if(uses_gmock)
    # Built only for the programs that use it.
    target_link_libraries(${target} PRIVATE GTest::gmock)
  endif()
  target_compile_definitions(${target} PRIVATE TWINEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(WIN32)
    # Tests of the built DLL load it by name from the program's folder.
    target_compile_definitions(${target} PRIVATE TWINEL_PLUGIN_FILE="$<TARGET_FILE_NAME:twinel_plugin>")
    add_dependencies(${target} twinel_plugin)
  endif()
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DISCOVERY_TIMEOUT 120
    XML_OUTPUT_DIR ${TWINEL_TEST_XML_DIR}
    PROPERTIES LABELS ${dir})
endforeach()

# The list, for the build log and for scripts/platforms.sh.
string(REPLACE ";" "\n" listing "${TWINEL_PORTABLE_TESTS}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/portable_tests.txt CONTENT "${listing}\n" @ONLY)
list(LENGTH TWINEL_PORTABLE_TESTS count)
if(TWINEL_TESTS_WITH_HOST)
  message(STATUS "Test files, with the reference host: ${count} (listed in portable_tests.txt)")
else()
  message(STATUS "Host-free test files: ${count} (listed in portable_tests.txt)")
endif()
