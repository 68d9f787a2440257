# Cross build of the Windows shell with MinGW-w64, for 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FW_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${FW_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${FW_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime goes into the .exe, so it starts on a bare Windows or Wine
# without the MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
