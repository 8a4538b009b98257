# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, for std::thread
# and std::mutex). The programs link the GCC and C++ run-time statically, so that rukmoxctl.exe
# runs from any folder without DLLs of the compiler beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RUKMOX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RUKMOX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RUKMOX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RUKMOX_MINGW_PREFIX}-windres)

# Libraries and headers come from the target's tree (and from a Qt for Windows, when one is given
# in CMAKE_PREFIX_PATH); programs such as moc from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${RUKMOX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs are run under Wine on the build machine.
find_program(RUKMOX_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(RUKMOX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RUKMOX_WINE})
endif()
