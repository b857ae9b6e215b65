# Cross build for 64-bit Windows with Debian's mingw-w64. The POSIX thread variant of the
# compiler is the one with std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NUB_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NUB_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NUB_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${NUB_MINGW_HOST}-windres)

# Libraries and headers only from the target's tree (and the GUI library's folder, given as
# NUB_WX_MSW_PREFIX); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${NUB_MINGW_HOST} ${NUB_WX_MSW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
