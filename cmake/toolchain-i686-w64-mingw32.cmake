# Cross-build for Windows with Debian's MinGW-w64 (posix thread model: std::mutex and
# std::call_once need it). Everything links statically, so the DLL imports system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KAVRIN_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KAVRIN_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVRIN_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVRIN_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KAVRIN_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# windows.h must not define min and max over the standard library.
set(CMAKE_CXX_FLAGS_INIT "-DNOMINMAX")
