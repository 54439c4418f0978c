# One test program per layer; each runs its suites through CTest.
# GUI marks programs that load Qt; ThreadSanitizer runs skip them.
# BOTH_SIDES marks programs built in the Linux build and in the Windows build
# (label both_sides); LINUX_ONLY those whose tests need what only the
# platform layer on Linux has (fake udev devices, injected faults, the test
# clock): the Windows build leaves them out (label linux_only).
include(GoogleTest)

function(kestrix_test name)
  cmake_parse_arguments(ARG "GUI;LINUX_ONLY;BOTH_SIDES" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set(labels unit)
  set(main GTest::gtest_main)
  if(ARG_GUI)
    set(labels gui)
    set(main gui_test_main toolkit_testing)
  endif()
  # One label a program: the discovered tests take a single value whole.
  if(ARG_LINUX_ONLY)
    set(labels linux_only)
  elseif(ARG_BOTH_SIDES)
    set(labels both_sides)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest ${main})
  # The Linux build's controls of the platform; the Windows build has the
  # real kernel32 and no platform of ours.
  if(TARGET platform_testing)
    target_link_libraries(${name} PRIVATE platform_testing)
  endif()
  # Under Wine the programs are listed when CTest runs, not while building.
  set(mode POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(mode PRE_TEST)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE ${mode} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120 LABELS ${labels})
endfunction()
