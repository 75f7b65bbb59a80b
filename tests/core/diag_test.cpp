#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "diag/source_location.h"
#include "gl_test_env.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(Diagnostics, MaterialTableDump) {
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

TEST(Diagnostics, MaterialTableHoldsEveryPublishedValue) {
  // Ambient RGB, diffuse RGB, specular RGB, shininess; alpha 1 throughout.
  static const float rows[24][10] = {
      {0.0215f, 0.1745f, 0.0215f, 0.07568f, 0.61424f, 0.07568f, 0.633f, 0.727811f, 0.633f, 76.8f},
      {0.135f, 0.2225f, 0.1575f, 0.54f, 0.89f, 0.63f, 0.316228f, 0.316228f, 0.316228f, 12.8f},
      {0.05375f, 0.05f, 0.06625f, 0.18275f, 0.17f, 0.22525f, 0.332741f, 0.328634f, 0.346435f, 38.4f},
      {0.25f, 0.20725f, 0.20725f, 1.0f, 0.829f, 0.829f, 0.296648f, 0.296648f, 0.296648f, 10.24f},
      {0.1745f, 0.01175f, 0.01175f, 0.61424f, 0.04136f, 0.04136f, 0.727811f, 0.626959f, 0.626959f,
       76.8f},
      {0.1f, 0.18725f, 0.1745f, 0.396f, 0.74151f, 0.69102f, 0.297254f, 0.30829f, 0.306678f, 12.8f},
      {0.329412f, 0.223529f, 0.027451f, 0.780392f, 0.568627f, 0.113725f, 0.992157f, 0.941176f,
       0.807843f, 27.897436f},
      {0.2125f, 0.1275f, 0.054f, 0.714f, 0.4284f, 0.18144f, 0.393548f, 0.271906f, 0.166721f, 25.6f},
      {0.25f, 0.25f, 0.25f, 0.4f, 0.4f, 0.4f, 0.774597f, 0.774597f, 0.774597f, 76.8f},
      {0.19125f, 0.0735f, 0.0225f, 0.7038f, 0.27048f, 0.0828f, 0.256777f, 0.137622f, 0.086014f,
       12.8f},
      {0.24725f, 0.1995f, 0.0745f, 0.75164f, 0.60648f, 0.22648f, 0.628281f, 0.555802f, 0.366065f,
       51.2f},
      {0.19225f, 0.19225f, 0.19225f, 0.50754f, 0.50754f, 0.50754f, 0.508273f, 0.508273f, 0.508273f,
       51.2f},
      {0, 0, 0, 0.01f, 0.01f, 0.01f, 0.5f, 0.5f, 0.5f, 32},
      {0, 0.1f, 0.06f, 0, 0.50980392f, 0.50980392f, 0.50196078f, 0.50196078f, 0.50196078f, 32},
      {0, 0, 0, 0.1f, 0.35f, 0.1f, 0.45f, 0.55f, 0.45f, 32},
      {0, 0, 0, 0.5f, 0, 0, 0.7f, 0.6f, 0.6f, 32},
      {0, 0, 0, 0.55f, 0.55f, 0.55f, 0.7f, 0.7f, 0.7f, 32},
      {0, 0, 0, 0.5f, 0.5f, 0, 0.6f, 0.6f, 0.5f, 32},
      {0.02f, 0.02f, 0.02f, 0.01f, 0.01f, 0.01f, 0.4f, 0.4f, 0.4f, 10},
      {0, 0.05f, 0.05f, 0.4f, 0.5f, 0.5f, 0.04f, 0.7f, 0.7f, 10},
      {0, 0.05f, 0, 0.4f, 0.5f, 0.4f, 0.04f, 0.7f, 0.04f, 10},
      {0.05f, 0, 0, 0.5f, 0.4f, 0.4f, 0.7f, 0.04f, 0.04f, 10},
      {0.05f, 0.05f, 0.05f, 0.5f, 0.5f, 0.5f, 0.7f, 0.7f, 0.7f, 10},
      {0.05f, 0.05f, 0, 0.5f, 0.5f, 0.4f, 0.7f, 0.7f, 0.04f, 10},
  };
  stream_capture out(1);
  dump_material_table();
  const std::vector<std::string> lines = lines_of(out.text());
  ASSERT_EQ(24u, lines.size());
  for (int row = 0; row < 24; ++row) {
    const float* v = rows[row];
    char want[512];
    snprintf(want, sizeof want, "%f %f %f 1.000000 %f %f %f 1.000000 %f %f %f 1.000000 %f", v[0],
             v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    EXPECT_EQ(want, lines[row]) << "row " << row;
  }
}

TEST(Diagnostics, AxisMaterialDumpKeepsItsBlankBeforeTheLineFeed) {
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

TEST(Diagnostics, ErrorLineReportsOnePendingErrorPerCall) {
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

TEST(Diagnostics, ExtensionTestMatchesWholeNamesOnly) {
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

// Diagnostic lines name the printing file by its base name, and its line.
TEST(Diagnostics, PlaceIsTheFilesBaseNameAndTheLine) {
  char here[128];
  const int line = __LINE__ + 1;
  snprintf(here, sizeof here, "%s, %d", DIAG_HERE);
  EXPECT_EQ("diag_test.cpp, " + std::to_string(line), std::string(here));
  EXPECT_STREQ("main.cpp", diag::base_name("C:\\src\\main.cpp"));
  EXPECT_STREQ("main.cpp", diag::base_name("main.cpp"));
  EXPECT_STREQ("", diag::base_name("src/"));
}
