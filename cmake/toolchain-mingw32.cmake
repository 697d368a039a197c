# Cross-build for 32-bit Windows with Debian's MinGW-w64 (posix threads).
# Its test programs need a 32-bit wine (see the README).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TWINEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_common.cmake)
