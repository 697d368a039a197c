# The reference host and the `twinel` command for Windows (twinel.exe),
# cross-built with MinGW-w64 beside the DLL, so that the DLL is tested
# loaded by a host as Korvo loads it.
#
# The libraries come from Debian as for the Linux build, but a cross build
# must not see /usr/include as a whole (glibc's headers would stand in for
# Windows'): the header-only ones are seen through a folder of links.
# pugixml and cpp-httplib come from their Debian source packages
# (scripts/platforms.sh fetches them): Debian's development packages hold
# pugixml's headers without its source, and a header of cpp-httplib split
# from its library. tinygltf's implementation is compiled from its header,
# as Debian's library is.
set(TWINEL_PUGIXML_SOURCE "" CACHE PATH "Folder of pugixml.cpp (Debian's source package of pugixml)")
set(TWINEL_HTTPLIB_SOURCE "" CACHE PATH "Folder of the whole httplib.h (Debian's source package of cpp-httplib)")
if(NOT EXISTS ${TWINEL_PUGIXML_SOURCE}/pugixml.cpp)
  message(FATAL_ERROR "The Windows host needs pugixml.cpp: set TWINEL_PUGIXML_SOURCE")
endif()
if(NOT EXISTS ${TWINEL_HTTPLIB_SOURCE}/httplib.h)
  message(FATAL_ERROR "The Windows host needs cpp-httplib's whole header: set TWINEL_HTTPLIB_SOURCE")
endif()

set(TWINEL_HOST_INCLUDE ${CMAKE_BINARY_DIR}/host_include)
file(MAKE_DIRECTORY ${TWINEL_HOST_INCLUDE})
foreach(name nlohmann CLI fast_float pugixml.hpp pugiconfig.hpp tiny_gltf.h stb)
  if(NOT EXISTS /usr/include/${name})
    message(FATAL_ERROR "/usr/include/${name} is missing: install the Debian packages scripts/platforms.sh names")
  endif()
  file(CREATE_LINK /usr/include/${name} ${TWINEL_HOST_INCLUDE}/${name} SYMBOLIC)
endforeach()
file(CREATE_LINK ${TWINEL_HTTPLIB_SOURCE}/httplib.h ${TWINEL_HOST_INCLUDE}/httplib.h SYMBOLIC)
file(GLOB dragonbox_dirs /usr/include/dragonbox-*/dragonbox)
list(GET dragonbox_dirs 0 dragonbox_dir)
file(CREATE_LINK ${dragonbox_dir} ${TWINEL_HOST_INCLUDE}/dragonbox SYMBOLIC)

add_library(twinel_host_deps INTERFACE)
target_include_directories(twinel_host_deps SYSTEM INTERFACE ${TWINEL_HOST_INCLUDE} ${TWINEL_HOST_INCLUDE}/stb)

set(tinygltf_source ${CMAKE_BINARY_DIR}/tinygltf_implementation.cpp)
file(CONFIGURE OUTPUT ${tinygltf_source} CONTENT
  "// The implementation of Debian's tiny_gltf.h, which Linux takes from libtinygltf.\n#define TINYGLTF_IMPLEMENTATION\n#include <tiny_gltf.h>\n")
add_library(twinel_host_libraries STATIC ${TWINEL_PUGIXML_SOURCE}/pugixml.cpp ${tinygltf_source})
target_link_libraries(twinel_host_libraries PUBLIC twinel_host_deps)
target_compile_options(twinel_host_libraries PRIVATE -w)

find_package(Threads REQUIRED)
file(GLOB TWINEL_HOST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/*.cpp ${CMAKE_SOURCE_DIR}/host/io/*.cpp)
add_library(twinel_host STATIC ${TWINEL_HOST_SOURCES})
target_include_directories(twinel_host PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(twinel_host PUBLIC Boost::headers twinel_host_libraries Threads::Threads)

file(GLOB TWINEL_CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/*.cpp)
list(REMOVE_ITEM TWINEL_CLI_SOURCES ${CMAKE_SOURCE_DIR}/cli/main.cpp)
add_library(twinel_cli_lib STATIC ${TWINEL_CLI_SOURCES})
target_link_libraries(twinel_cli_lib PUBLIC twinel_core twinel_host ws2_32 shell32)
add_executable(twinel_cli ${CMAKE_SOURCE_DIR}/cli/main.cpp)
target_link_libraries(twinel_cli PRIVATE twinel_cli_lib)
set_target_properties(twinel_cli PROPERTIES OUTPUT_NAME twinel)
add_dependencies(twinel_cli twinel_plugin)

# The host and the command are test tools here, not deliverables: they are
# optimised less than the DLL (-O1 after the build type's -O3), which takes
# a fifth to a third off the Windows build (444 s before, 317 to 389 s
# after, on 2 cores). Results do not depend on it: floats are never
# contracted and x86 arithmetic is SSE2 at every level.
set(TWINEL_TEST_TOOL_OPTIONS -O1)
foreach(target twinel_host_libraries twinel_host twinel_cli_lib twinel_cli)
  target_compile_options(${target} PRIVATE ${TWINEL_TEST_TOOL_OPTIONS})
endforeach()
