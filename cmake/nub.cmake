# nub_subsystem(NAME LINKS...): one static library per folder, built from every .cpp in it (not
# from its subfolders: a subfolder is a target of its own).
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

# The suites whose code runs threads of its own (tools: the decode tool decodes on several). The
# thread-sanitizer build (NUB_SANITIZE=thread) builds and runs only these; a suite with threads
# joins by adding its name here.
set(NUB_THREAD_SUITES base simlink platform support tools cycle main_window app_dialogs)

option(NUB_WINE_WINDOW_TESTS "Windows build: run the window suites under wine's X11 driver" ON)

# nub_test_suite(NAME [OWN_MAIN] [OWN_DISPLAY] [PRIVATE_DISPLAY] LINKS...): one test program per
# folder of tests/, from every .cpp in it, each test registered with CTest on its own. A suite with
# OWN_MAIN brings its main (the window suites take the one of nub_gui_testsupport, which starts the
# GUI library); the others get GoogleTest's. With OWN_DISPLAY each test runs on an X server of its
# own (window tests that simulate a person's mouse and keys, which would reach other tests'
# windows); the Windows build builds them, and with NUB_WINE_WINDOW_TESTS runs them under wine's
# X11 driver, each test with a wine server of its own. PRIVATE_DISPLAY gives each test its own X
# server as well, but the Windows build runs the suite (windows without a simulated person). The
# suites of NUB_THREAD_SUITES carry the label "threads". A folder that sets NUB_SUITE_RESOURCE_LOCK
# before the call has its tests run one at a time with every other test holding that lock; one
# that sets NUB_SUITE_POSIX_ONLY (file names) keeps those files out of the Windows build.
function(nub_test_suite name)
  cmake_parse_arguments(PARSE_ARGV 1 suite "OWN_MAIN;OWN_DISPLAY;PRIVATE_DISPLAY" "" "")
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NUB_WINDOWS)
    foreach(file ${NUB_SUITE_POSIX_ONLY})
      list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
    endforeach()
  endif()
  if(NOT sources)
    return()
  endif()
  if(suite_OWN_MAIN)
    set(gtest_library GTest::gtest)
  else()
    set(gtest_library GTest::gtest_main)
  endif()
  add_executable(nub_${name}_tests ${sources})
  target_link_libraries(nub_${name}_tests PRIVATE nub_testsupport ${gtest_library} ${suite_UNPARSED_ARGUMENTS})
  if(suite_OWN_DISPLAY AND NUB_WINDOWS AND NOT NUB_WINE_WINDOW_TESTS)
    return()  # built, not run
  elseif(suite_OWN_DISPLAY AND NUB_WINDOWS)
    # wine's null display driver draws nothing and takes no simulated mouse or keys.
    set_target_properties(nub_${name}_tests PROPERTIES CROSSCOMPILING_EMULATOR
      "bash;${CMAKE_SOURCE_DIR}/tests/gui_common/own_display_wine.sh;${CMAKE_BINARY_DIR}")
  elseif((suite_OWN_DISPLAY OR suite_PRIVATE_DISPLAY) AND NOT NUB_WINDOWS)
    set_target_properties(nub_${name}_tests PROPERTIES
      CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/tests/gui_common/own_display.sh")
  endif()
  set(properties TIMEOUT 120)
  if(NUB_SUITE_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${NUB_SUITE_RESOURCE_LOCK})
  endif()
  if(name IN_LIST NUB_THREAD_SUITES)
    list(APPEND properties LABELS threads)
  elseif(NUB_SANITIZE STREQUAL "thread")
    set_target_properties(nub_${name}_tests PROPERTIES EXCLUDE_FROM_ALL TRUE)
    return()
  endif()
  gtest_discover_tests(nub_${name}_tests
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
