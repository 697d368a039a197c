# Shared by the two MinGW-w64 toolchain files; TWINEL_MINGW_TRIPLE names the
# target. Only the MinGW sysroot is searched for headers and libraries: the
# host's /usr/include would mix glibc headers into the build.
set(CMAKE_C_COMPILER ${TWINEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TWINEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TWINEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TWINEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthreads go into each binary.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()

# Test programs are listed and run through wine. Debian installs the 64-bit
# loader outside PATH; a 32-bit program needs the i386 wine package.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(TWINEL_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(TWINEL_WINE NAMES wine64 wine)
else()
  find_program(TWINEL_WINE NAMES wine PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
endif()
if(TWINEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TWINEL_WINE})
endif()
