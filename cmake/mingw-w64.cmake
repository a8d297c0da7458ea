# Cross build of pedprep.exe for 64-bit Windows with mingw-w64 (Debian: mingw-w64,
# g++-mingw-w64-x86-64-posix); the posix thread model gives std::thread and std::mutex.
# The build's own programs and the tests run here under wine (see CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PEDPREP_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PEDPREP_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PEDPREP_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PEDPREP_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PEDPREP_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
