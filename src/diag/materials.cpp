#include <cstdio>

#include "diag.h"

// Rows of ambient RGB, diffuse RGB, specular RGB and shininess; alpha is 1.
#define MATERIAL(ar, ag, ab, dr, dg, db, sr, sg, sb, shine) \
  {ar, ag, ab, 1.0f, dr, dg, db, 1.0f, sr, sg, sb, 1.0f, shine}

const float material_table[24][material_floats] = {
    MATERIAL(0.0215f, 0.1745f, 0.0215f, 0.07568f, 0.61424f, 0.07568f, 0.633f, 0.727811f, 0.633f,
             76.8f),
    MATERIAL(0.135f, 0.2225f, 0.1575f, 0.54f, 0.89f, 0.63f, 0.316228f, 0.316228f, 0.316228f,
             12.8f),
    MATERIAL(0.05375f, 0.05f, 0.06625f, 0.18275f, 0.17f, 0.22525f, 0.332741f, 0.328634f,
             0.346435f, 38.4f),
    MATERIAL(0.25f, 0.20725f, 0.20725f, 1.0f, 0.829f, 0.829f, 0.296648f, 0.296648f, 0.296648f,
             10.24f),
    MATERIAL(0.1745f, 0.01175f, 0.01175f, 0.61424f, 0.04136f, 0.04136f, 0.727811f, 0.626959f,
             0.626959f, 76.8f),
    MATERIAL(0.1f, 0.18725f, 0.1745f, 0.396f, 0.74151f, 0.69102f, 0.297254f, 0.30829f, 0.306678f,
             12.8f),
    MATERIAL(0.329412f, 0.223529f, 0.027451f, 0.780392f, 0.568627f, 0.113725f, 0.992157f,
             0.941176f, 0.807843f, 27.897436f),
    MATERIAL(0.2125f, 0.1275f, 0.054f, 0.714f, 0.4284f, 0.18144f, 0.393548f, 0.271906f,
             0.166721f, 25.6f),
    MATERIAL(0.25f, 0.25f, 0.25f, 0.4f, 0.4f, 0.4f, 0.774597f, 0.774597f, 0.774597f, 76.8f),
    MATERIAL(0.19125f, 0.0735f, 0.0225f, 0.7038f, 0.27048f, 0.0828f, 0.256777f, 0.137622f,
             0.086014f, 12.8f),
    MATERIAL(0.24725f, 0.1995f, 0.0745f, 0.75164f, 0.60648f, 0.22648f, 0.628281f, 0.555802f,
             0.366065f, 51.2f),
    MATERIAL(0.19225f, 0.19225f, 0.19225f, 0.50754f, 0.50754f, 0.50754f, 0.508273f, 0.508273f,
             0.508273f, 51.2f),
    MATERIAL(0.0f, 0.0f, 0.0f, 0.01f, 0.01f, 0.01f, 0.5f, 0.5f, 0.5f, 32.0f),
    MATERIAL(0.0f, 0.1f, 0.06f, 0.0f, 0.50980392f, 0.50980392f, 0.50196078f, 0.50196078f,
             0.50196078f, 32.0f),
    MATERIAL(0.0f, 0.0f, 0.0f, 0.1f, 0.35f, 0.1f, 0.45f, 0.55f, 0.45f, 32.0f),
    MATERIAL(0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.7f, 0.6f, 0.6f, 32.0f),
    MATERIAL(0.0f, 0.0f, 0.0f, 0.55f, 0.55f, 0.55f, 0.7f, 0.7f, 0.7f, 32.0f),
    MATERIAL(0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.0f, 0.6f, 0.6f, 0.5f, 32.0f),
    MATERIAL(0.02f, 0.02f, 0.02f, 0.01f, 0.01f, 0.01f, 0.4f, 0.4f, 0.4f, 10.0f),
    MATERIAL(0.0f, 0.05f, 0.05f, 0.4f, 0.5f, 0.5f, 0.04f, 0.7f, 0.7f, 10.0f),
    MATERIAL(0.0f, 0.05f, 0.0f, 0.4f, 0.5f, 0.4f, 0.04f, 0.7f, 0.04f, 10.0f),
    MATERIAL(0.05f, 0.0f, 0.0f, 0.5f, 0.4f, 0.4f, 0.7f, 0.04f, 0.04f, 10.0f),
    MATERIAL(0.05f, 0.05f, 0.05f, 0.5f, 0.5f, 0.5f, 0.7f, 0.7f, 0.7f, 10.0f),
    MATERIAL(0.05f, 0.05f, 0.0f, 0.5f, 0.5f, 0.4f, 0.7f, 0.7f, 0.04f, 10.0f),
};

#undef MATERIAL

namespace {

// Thirteen floats widened to double, six decimals each, `tail` before the line feed.
void print_material_row(const float* m, const char* tail) {
  for (int i = 0; i < material_floats; ++i) printf(i ? " %f" : "%f", static_cast<double>(m[i]));
  printf("%s\n", tail);
}

}  // namespace

void dump_material_table() {
  for (const auto& row : material_table) print_material_row(row, "");
}

void dump_axis_materials() {
  for (const auto& row : scene_state.axis_materials) print_material_row(row, " ");
}
