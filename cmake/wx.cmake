# Two interface targets: nub::wxbase for code without windows (wxBase and wxNet only,
# so its tests need no display) and nub::wxgui for window code.

find_package(wxWidgets 3.2 REQUIRED COMPONENTS base net)
nub_windows_wx_libraries()
add_library(nub_wxbase INTERFACE)
target_include_directories(nub_wxbase SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(nub_wxbase INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(nub_wxbase INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(nub_wxbase INTERFACE ${wxWidgets_LIBRARIES})
add_library(nub::wxbase ALIAS nub_wxbase)

unset(wxWidgets_LIBRARIES)
unset(wxWidgets_INCLUDE_DIRS)
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base net)
nub_windows_wx_libraries()
add_library(nub_wxgui INTERFACE)
target_include_directories(nub_wxgui SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(nub_wxgui INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(nub_wxgui INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(nub_wxgui INTERFACE ${wxWidgets_LIBRARIES})
add_library(nub::wxgui ALIAS nub_wxgui)
