# The shared test helpers (tests/common/): the mesh builders and the
# reference-host fixtures, with the paths of the sources, the plug-in and
# the command they use. Under wine, the absolute Unix paths are read on
# the drive of the working folder (Z:, the Unix root).
file(GLOB TWINEL_TEST_COMMON CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/common/*.cpp)
add_library(twinel_test_common STATIC ${TWINEL_TEST_COMMON})
target_include_directories(twinel_test_common PUBLIC ${CMAKE_SOURCE_DIR} ${TWINEL_PLUGIN_INCLUDE})
target_link_libraries(twinel_test_common PUBLIC twinel_host GTest::gtest GTest::gmock)
target_compile_definitions(twinel_test_common PUBLIC
  TWINEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  TWINEL_PLUGIN_PATH="$<TARGET_FILE:twinel_plugin>"
  TWINEL_CLI_PATH="$<TARGET_FILE:twinel_cli>")
