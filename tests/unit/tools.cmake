orvane_unit_test(tools_test
  tools_commands_test.cpp
  tools_text_test.cpp
  tools_shapes_test.cpp
  gl_feedback.cpp)
