# Cross build for Windows with Debian's MinGW-w64 (posix thread model), for
# the architecture HALVEX_WINDOWS_ARCH names: x86_64 (the default) or i686.
# On i686, floating point in SSE2 registers as on x64: the x87 unit's wider
# intermediate results would change digits of the output.
set(HALVEX_WINDOWS_ARCH x86_64 CACHE STRING "Windows architecture of the cross build: x86_64 or i686")
set_property(CACHE HALVEX_WINDOWS_ARCH PROPERTY STRINGS x86_64 i686)
# The compiler checks' projects read this file again and need the choice too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HALVEX_WINDOWS_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
if(HALVEX_WINDOWS_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
elseif(HALVEX_WINDOWS_ARCH STREQUAL "i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
else()
  message(FATAL_ERROR "HALVEX_WINDOWS_ARCH is ${HALVEX_WINDOWS_ARCH}: x86_64 or i686")
endif()

set(HALVEX_MINGW_PREFIX ${HALVEX_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${HALVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HALVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${HALVEX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HALVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
