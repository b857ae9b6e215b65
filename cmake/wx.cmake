# Two interface targets: nub::wxbase for code without windows (wxBase and wxNet only,
# so its tests need no display) and nub::wxgui for window code.

# nub_wx_target(NAME COMPONENTS...): finds wxWidgets with those components and gives them as the
# interface target nub_NAME, alias nub::NAME.
function(nub_wx_target name)
  unset(wxWidgets_LIBRARIES)
  unset(wxWidgets_INCLUDE_DIRS)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS ${ARGN})
  nub_windows_wx_libraries()
  add_library(nub_${name} INTERFACE)
  target_include_directories(nub_${name} SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(nub_${name} INTERFACE ${wxWidgets_DEFINITIONS})
  target_compile_options(nub_${name} INTERFACE ${wxWidgets_CXX_FLAGS})
  target_link_libraries(nub_${name} INTERFACE ${wxWidgets_LIBRARIES})
  add_library(nub::${name} ALIAS nub_${name})
endfunction()

nub_wx_target(wxbase base net)
nub_wx_target(wxgui core base net)
