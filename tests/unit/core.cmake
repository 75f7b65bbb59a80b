# The portable core on a real GL context.
orvane_unit_test(core_test
  texture_test.cpp
  settings_test.cpp
  scene_test.cpp
  fps_meter_test.cpp
  diag_test.cpp
  viewer_options_test.cpp
  LIBS orvane_viewer_options)
if(TARGET orvane_assets)
  add_dependencies(core_test orvane_assets)
endif()
