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
  ENVIRONMENT "ORVANE_DATA_DIR=${ORVANE_DATA_BUILD_DIR}")
# The version printed is the project's, as packages and installers carry it.
add_test(NAME viewer_version_is_the_projects
  COMMAND env -u DISPLAY ${viewer} --version)
set_tests_properties(viewer_version_is_the_projects PROPERTIES
  PASS_REGULAR_EXPRESSION "\norvane-viewer ${PROJECT_VERSION}\n")
