# Cross build for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, which std::thread and GoogleTest need). The programs are linked
# statically: they need no DLL beside the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ppt_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ppt_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ppt_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${ppt_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ppt_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The tests built for Windows run under Wine when it is there.
find_program(PPT_WINE wine)
if(PPT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PPT_WINE})
endif()
