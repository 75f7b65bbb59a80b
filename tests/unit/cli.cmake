# The option table and number rule both Linux programs read their options with.
orvane_unit_test(cli_test cli_test.cpp LIBS orvane_cli)
