# Cross-builds Kinorex for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# The posix-threads flavour of the compiler is used because std::thread, std::mutex and
# std::condition_variable need it; the win32 flavour lacks them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KINOREX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KINOREX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KINOREX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KINOREX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KINOREX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables and DLLs carry the libgcc, libstdc++ and winpthread runtimes inside them, so
# they run on a Windows machine without any MinGW DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Lets CTest and test discovery run the cross-built programs on this machine.
find_program(KINOREX_WINE wine)
if(KINOREX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KINOREX_WINE})
endif()
