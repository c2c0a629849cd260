# Cross build for 32-bit x86 Windows with Debian's MinGW-w64 (posix thread
# model). Floating point in SSE2 registers, as on x64: the x87 unit's wider
# intermediate results would change digits of the output.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(HALVEX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${HALVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HALVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${HALVEX_MINGW_PREFIX}-windres)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_FIND_ROOT_PATH /usr/${HALVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
