# The viewer as a user starts it: help and usage errors need no display, and a
# short run writes its capture.
set(viewer $<TARGET_FILE:orvane-viewer>)
add_test(NAME viewer_help_without_display
  COMMAND env -u DISPLAY ${viewer} --help)
set_tests_properties(viewer_help_without_display PROPERTIES
  PASS_REGULAR_EXPRESSION "usage: orvane-viewer")
add_test(NAME viewer_unknown_option_exits_with_2
  COMMAND sh -c "env -u DISPLAY \"$0\" --bogus 2>&1; test $? -eq 2 && echo exit-2" ${viewer})
set_tests_properties(viewer_unknown_option_exits_with_2 PROPERTIES
  PASS_REGULAR_EXPRESSION "unknown option --bogus[^$]*usage: orvane-viewer.*exit-2")
add_test(NAME viewer_capture_after_300_frames
  COMMAND sh -c "rm -f \"$1\" && \"$0\" --frames 300 --seed 1 --capture \"$1\" >/dev/null && head -c 15 \"$1\" | tr '\\n' ' ' && wc -c < \"$1\""
          ${viewer} ${CMAKE_CURRENT_BINARY_DIR}/viewer_capture.ppm)
set_tests_properties(viewer_capture_after_300_frames PROPERTIES
  PASS_REGULAR_EXPRESSION "^P6 640 360 255 691215"
  ENVIRONMENT "ORVANE_DATA_DIR=${ORVANE_DATA_BUILD_DIR}"
  RESOURCE_LOCK ${viewer_window_lock})
# The version printed is the project's, as packages and installers carry it.
add_test(NAME viewer_version_is_the_projects
  COMMAND env -u DISPLAY ${viewer} --version)
set_tests_properties(viewer_version_is_the_projects PROPERTIES
  PASS_REGULAR_EXPRESSION "\norvane-viewer ${PROJECT_VERSION}\n")
# A one-pixel side would never draw a frame, and --frames 0 none to capture:
# both are usage errors, told before any display is needed.
add_test(NAME viewer_refuses_a_side_below_two
  COMMAND sh -c "env -u DISPLAY \"$0\" --size 1x360 2>&1; test $? -eq 2 && echo exit-2" ${viewer})
set_tests_properties(viewer_refuses_a_side_below_two PROPERTIES
  PASS_REGULAR_EXPRESSION "--size needs WIDTHxHEIGHT, each 2 to 16384\nusage: orvane-viewer.*exit-2")
add_test(NAME viewer_refuses_a_capture_of_no_frames
  COMMAND sh -c "env -u DISPLAY \"$0\" --frames 0 --capture \"$1\" 2>&1; test $? -eq 2 && test ! -e \"$1\" && echo exit-2"
          ${viewer} ${CMAKE_CURRENT_BINARY_DIR}/no_frames.ppm)
set_tests_properties(viewer_refuses_a_capture_of_no_frames PROPERTIES
  PASS_REGULAR_EXPRESSION "--frames 0 draws no frame to capture\nusage: orvane-viewer.*exit-2")
# A capture that cannot be written, or that fills the disk, is a failed run.
foreach(target nowhere full)
  if(target STREQUAL nowhere)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/no-such-folder/capture.ppm)
  else()
    set(file /dev/full)
  endif()
  add_test(NAME viewer_capture_${target}_fails
    COMMAND sh -c "{ \"$0\" --frames 2 --seed 1 --capture \"$1\" 2>&1 >/dev/null; echo exit-$?; } | tail -n 2"
            ${viewer} ${file})
  set_tests_properties(viewer_capture_${target}_fails PROPERTIES
    PASS_REGULAR_EXPRESSION "orvane-viewer: the last frame could not be written to [^\n]*\nexit-1"
    ENVIRONMENT "ORVANE_DATA_DIR=${ORVANE_DATA_BUILD_DIR}"
    RESOURCE_LOCK ${viewer_window_lock})
endforeach()
