# Cross-build for 64-bit Windows with Debian's MinGW-w64 (posix threads).
# The C++ runtime is linked statically, so the DLL and the test programs
# import only system DLLs; test programs run under wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TWINEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_common.cmake)
