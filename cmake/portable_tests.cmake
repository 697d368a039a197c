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

# With the Windows host (cmake/windows_host.cmake), the tests that use the
# reference host are built too: every test file but those of the command
# line and the page (they start twinel itself) and those that call POSIX
# (fork, sockets, popen, resource limits), which run on Linux only.
# Sets `out` to TRUE when `file` qualifies.
function(twinel_runs_with_windows_host file out)
  set(${out} TRUE PARENT_SCOPE)
  file(STRINGS ${file} posix REGEX "^[ \t]*#[ \t]*include[ \t]*<(unistd\\.h|sys/|poll\\.h|fcntl\\.h|dlfcn\\.h)")
  file(STRINGS ${file} calls REGEX "[^a-z_](mkdtemp|popen|fork|setrlimit)[ \t]*\\(")
  file(STRINGS ${file} cli REGEX "^[ \t]*#[ \t]*include[ \t]*\"tests/cli/")
  if(posix OR calls OR cli)
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()
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
  if(TWINEL_TESTS_WITH_HOST AND (dir STREQUAL "cli" OR dir STREQUAL "web"))
    continue()
  endif()
  file(GLOB candidates CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*_test.cpp)
  set(sources "")
  set(uses_gmock FALSE)
  foreach(file ${candidates})
    if(TWINEL_TESTS_WITH_HOST)
      twinel_runs_with_windows_host(${file} portable)
    else()
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
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${TWINEL_PLUGIN_INCLUDE})
  target_link_libraries(${target} PRIVATE twinel_core GTest::gtest_main)
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
