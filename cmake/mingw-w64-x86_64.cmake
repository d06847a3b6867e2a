# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package mingw-w64). The posix
# thread model, linked statically, so the programs need no MinGW runtime DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
# The libraries cross-built by scripts/windows.sh sit under MARROWGAST_WINDOWS_PREFIX.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} $ENV{MARROWGAST_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives first: zlib's import library would otherwise win.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a .dll.a)
# No link time in the executables, so the same commit gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -Wl,--no-insert-timestamp")
