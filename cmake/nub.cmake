# nub_subsystem(NAME LINKS...): one static library per folder, built from every .cpp in it.
# A folder without sources yet gives an interface library, so dependents link either way.
function(nub_subsystem name)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(sources)
    add_library(nub_${name} STATIC ${sources})
    target_include_directories(nub_${name} PUBLIC "${CMAKE_SOURCE_DIR}")
    target_link_libraries(nub_${name} PUBLIC ${ARGN})
  else()
    add_library(nub_${name} INTERFACE)
    target_include_directories(nub_${name} INTERFACE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(nub_${name} INTERFACE ${ARGN})
  endif()
endfunction()

# nub_test_suite(NAME LINKS...): one test program per folder of tests/, from every .cpp in it,
# each test registered with CTest on its own. A folder that sets NUB_SUITE_RESOURCE_LOCK before
# the call has its tests run one at a time with every other test holding that lock.
function(nub_test_suite name)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(nub_${name}_tests ${sources})
  target_link_libraries(nub_${name}_tests PRIVATE nub_testsupport GTest::gtest_main ${ARGN})
  set(properties TIMEOUT 120)
  if(NUB_SUITE_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${NUB_SUITE_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(nub_${name}_tests
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
