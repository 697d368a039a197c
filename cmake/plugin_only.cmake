# Dependencies of a plug-in-only build: Boost's headers, nothing else.
#
# A cross build must not see the build machine's /usr/include (its glibc
# headers clash with the target's), so Boost comes through a folder that
# holds nothing but a link to the boost/ header tree. macOS finds Boost the
# usual way.
if(APPLE)
  find_package(Boost 1.39 REQUIRED)
else()
  set(TWINEL_BOOST_HEADERS /usr/include/boost CACHE PATH "The boost/ header tree")
  if(NOT EXISTS ${TWINEL_BOOST_HEADERS}/format.hpp)
    message(FATAL_ERROR "No Boost headers at ${TWINEL_BOOST_HEADERS} (set TWINEL_BOOST_HEADERS)")
  endif()
  set(TWINEL_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost_include)
  file(MAKE_DIRECTORY ${TWINEL_BOOST_INCLUDE})
  file(CREATE_LINK ${TWINEL_BOOST_HEADERS} ${TWINEL_BOOST_INCLUDE}/boost SYMBOLIC)
  add_library(Boost::headers INTERFACE IMPORTED)
  target_include_directories(Boost::headers SYSTEM INTERFACE ${TWINEL_BOOST_INCLUDE})
endif()
