# 32-bit x86 Linux build with the native compiler (g++-multilib): the
# plug-in and its host-free tests, run natively, for 32-bit coverage.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT -m32)
endforeach()
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
