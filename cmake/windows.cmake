# The Windows build (cross-compiled with cmake/mingw-w64.cmake): the GUI library is the MSW
# build that scripts/gui-library-windows.sh keeps in its cache, the programs carry their
# runtime statically, and every program the build or CTest runs goes through wine in a
# prefix of the build folder's own.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(NUB_WINDOWS ON)
else()
  set(NUB_WINDOWS OFF)
endif()

# wx-config's link line makes every program a GUI-subsystem one; programs that want that say
# WIN32 themselves.
macro(nub_windows_wx_libraries)
  if(NUB_WINDOWS)
    list(FILTER wxWidgets_LIBRARIES EXCLUDE REGEX "^-mwindows$|subsystem,windows")
  endif()
endmacro()

# GoogleTest from Debian's sources, built with this compiler (it names its targets GTest::...).
function(nub_windows_gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
endfunction()

if(NUB_WINDOWS)
  set(NUB_WX_MSW_PREFIX "" CACHE PATH "Folder of the GUI library built for Windows")
  if(NOT EXISTS "${NUB_WX_MSW_PREFIX}/bin/wx-config")
    message(FATAL_ERROR "NUB_WX_MSW_PREFIX must name the folder that scripts/gui-library-windows.sh prints")
  endif()
  set(wxWidgets_CONFIG_EXECUTABLE "${NUB_WX_MSW_PREFIX}/bin/wx-config" CACHE FILEPATH "" FORCE)

  # M_PI and the other constants of <cmath>, as the C library elsewhere gives them.
  add_compile_definitions(_USE_MATH_DEFINES)
  # No MinGW runtime DLLs have to lie beside the programs.
  add_link_options(-static)

  # Every program (and every library, harmlessly) carries the fix of the order in which a thread's
  # thread_local objects are destroyed and freed.
  add_library(nub_thread_exit_order OBJECT "${CMAKE_SOURCE_DIR}/platform/windows/runtime/thread_exit_order.cpp")
  link_libraries(nub_thread_exit_order)

  set(CMAKE_CROSSCOMPILING_EMULATOR "bash;${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
endif()
