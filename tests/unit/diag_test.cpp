#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "gl_test_env.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(diagnostics, material_table_dump) {
  stream_capture out(1);
  dump_material_table();
  std::string text = out.text();
  std::vector<std::string> lines = lines_of(text);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[0],
            "0.021500 0.174500 0.021500 1.000000 0.075680 0.614240 0.075680 1.000000 "
            "0.633000 0.727811 0.633000 1.000000 76.800003");
  EXPECT_EQ(lines[1].substr(lines[1].rfind(' ') + 1), "12.800000");
  EXPECT_EQ(lines[3].substr(lines[3].rfind(' ') + 1), "10.240000");
  EXPECT_EQ(lines[6].substr(lines[6].rfind(' ') + 1), "27.897436");
  EXPECT_EQ(lines[13],
            "0.000000 0.100000 0.060000 1.000000 0.000000 0.509804 0.509804 1.000000 "
            "0.501961 0.501961 0.501961 1.000000 32.000000");
  EXPECT_EQ(lines[23],
            "0.050000 0.050000 0.000000 1.000000 0.500000 0.500000 0.400000 1.000000 "
            "0.700000 0.700000 0.040000 1.000000 10.000000");
  EXPECT_EQ(text.find(" \n"), std::string::npos);
}

TEST(diagnostics, axis_material_dump_keeps_its_blank_before_the_line_feed) {
  stream_capture out(1);
  dump_axis_materials();
  EXPECT_EQ(out.text(),
            "0.400000 0.400000 0.400000 1.000000 1.000000 0.000000 0.000000 1.000000 "
            "1.000000 0.000000 0.000000 1.000000 1.000000 \n"
            "0.400000 0.400000 0.400000 1.000000 0.000000 1.000000 0.000000 1.000000 "
            "0.000000 1.000000 0.000000 1.000000 1.000000 \n"
            "0.400000 0.400000 0.400000 1.000000 0.000000 0.000000 1.000000 1.000000 "
            "0.000000 0.000000 1.000000 1.000000 1.000000 \n");
}

TEST(diagnostics, error_line_reports_one_pending_error_per_call) {
  while (glGetError() != GL_NO_ERROR) {
  }
  {
    stream_capture err(2);
    gl_report_error();
    EXPECT_EQ(err.text(), "");
  }
  glEnable(0x7FFF);  // not a capability: GL_INVALID_ENUM
  glMatrixMode(0x7FFF);
  stream_capture err(2);
  gl_report_error();
  std::string first = err.text();
  EXPECT_EQ(first, "OpenGL Error: invalid enumerant\n");
  // Whatever else was pending comes out on later calls, one line each.
  stream_capture again(2);
  gl_report_error();
  std::string second = again.text();
  EXPECT_TRUE(second.empty() || second == first) << second;
  while (glGetError() != GL_NO_ERROR) {
  }
}

TEST(diagnostics, extension_test_matches_whole_names_only) {
  std::string all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  std::vector<std::string> names;
  std::istringstream in(all);
  for (std::string name; in >> name;) names.push_back(name);
  ASSERT_GE(names.size(), 2u);
  const std::string& first = names.front();
  const std::string& last = names.back();
  EXPECT_TRUE(gl_has_extension(first.c_str()));
  EXPECT_TRUE(gl_has_extension(last.c_str()));
  EXPECT_FALSE(gl_has_extension(first.substr(0, first.size() - 1).c_str()));
  EXPECT_FALSE(gl_has_extension((first + "_more").c_str()));
  EXPECT_FALSE(gl_has_extension((last + " ").c_str()));
  EXPECT_FALSE(gl_has_extension("GL_orvane_no_such_extension"));
  EXPECT_FALSE(gl_has_extension(nullptr));
}

}  // namespace
