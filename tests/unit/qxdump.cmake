orvane_unit_test(qxdump_test qxdump_test.cpp)
