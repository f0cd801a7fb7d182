# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, which Qt 6
# needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALLIVOR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALLIVOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALLIVOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TALLIVOR_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALLIVOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The Qt built for Windows by scripts/build-qt-windows.sh: found like the MinGW libraries.
if(DEFINED ENV{TALLIVOR_QT_WINDOWS})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{TALLIVOR_QT_WINDOWS})
endif()
