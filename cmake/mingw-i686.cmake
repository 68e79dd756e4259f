# 32-bit Windows with Debian's mingw-w64 (POSIX threads), linked statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LUMIVAR_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMIVAR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIVAR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIVAR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVAR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# SSE arithmetic, not x87: excess precision would change the plotter's float
# stepping, and with it every point and its stop on a step that no longer moves.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
