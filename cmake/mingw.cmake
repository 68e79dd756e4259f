# Windows with Debian's mingw-w64 (POSIX threads), linked statically: 32-bit
# (i686) unless LUMIVAR_WINDOWS_PROCESSOR says x86_64. The 32-bit program is
# the one shipped; the 64-bit one is tested where 32-bit programs cannot run.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT LUMIVAR_WINDOWS_PROCESSOR)
    set(LUMIVAR_WINDOWS_PROCESSOR i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${LUMIVAR_WINDOWS_PROCESSOR})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMIVAR_WINDOWS_PROCESSOR)
set(LUMIVAR_MINGW ${LUMIVAR_WINDOWS_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMIVAR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIVAR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIVAR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVAR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# SSE arithmetic, not x87: excess precision would change the plotter's float
# stepping, and with it every point and its stop on a step that no longer moves.
# (x86_64 has no other.)
if(LUMIVAR_WINDOWS_PROCESSOR STREQUAL i686)
    set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
    set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
