# The frame-rate label both Linux hosts draw with their own fonts.
orvane_unit_test(fps_label_test fps_label_test.cpp)
