orvane_unit_test(tools_test
  tools_commands_test.cpp
  tools_text_test.cpp
  tools_shapes_test.cpp
  tools_surfaces_test.cpp
  gl_feedback.cpp)

# The viewer's use of the toolkit: options and pointer routing.
orvane_unit_test(viewer_tools_test viewer_tools_test.cpp
  LIBS orvane_viewer_tools orvane_viewer_options)

# The viewer program driven through its window: keys, a drag, the way out.
if(TARGET orvane-viewer)
  find_package(X11 REQUIRED)
  orvane_unit_test(viewer_input_e2e_test viewer_input_e2e_test.cpp LIBS X11::X11
    LOCK ${viewer_window_lock})
  target_compile_definitions(viewer_input_e2e_test PRIVATE
    ORVANE_VIEWER_PATH="$<TARGET_FILE:orvane-viewer>")
  add_dependencies(viewer_input_e2e_test orvane-viewer)
endif()
