# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model),
# run under Wine for the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOK_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VOK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VOK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VOK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VOK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs run from a bare directory without MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

