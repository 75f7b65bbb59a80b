# The portable core on a real GL context.
orvane_unit_test(core_test
  texture_test.cpp
  settings_test.cpp
  scene_test.cpp
  scene_gizmo_test.cpp
  fps_meter_test.cpp
  diag_test.cpp
  viewer_options_test.cpp
  gl_feedback.cpp
  LIBS orvane_viewer_options)
if(TARGET orvane_assets)
  add_dependencies(core_test orvane_assets)
endif()

# The very first frame after set-up, in a process of its own so that nothing
# has touched the state set-up leaves.
orvane_unit_test(first_frame_test first_frame_test.cpp)
if(TARGET orvane_assets)
  add_dependencies(first_frame_test orvane_assets)
endif()
