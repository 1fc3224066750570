# Cross-build for 32-bit Windows with MinGW-w64 (posix threads flavour);
# programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(PMSNMP_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PMSNMP_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PMSNMP_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PMSNMP_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PMSNMP_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(PMSNMP_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PMSNMP_WINE})

# Every program carries its runtime, so nothing but system DLLs is needed
# beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
