#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "viewer_options.h"

namespace {

bool parse(std::vector<const char*> args, viewer_options* o, std::string* error) {
  args.insert(args.begin(), "orvane-viewer");
  return parse_viewer_options(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(ViewerOptions, AcceptedForms) {
  viewer_options o;
  std::string error;
  ASSERT_TRUE(parse({"--frames", "300", "--seed", "1", "--capture", "f.ppm", "--size", "800x600"},
                    &o, &error));
  EXPECT_EQ(o.frames, 300);
  EXPECT_TRUE(o.seeded);
  EXPECT_EQ(o.seed, 1u);
  EXPECT_EQ(o.capture, "f.ppm");
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  viewer_options joined;
  ASSERT_TRUE(parse({"--frames=5", "--size=2x2", "--version"}, &joined, &error)) << error;
  EXPECT_EQ(joined.frames, 5);
  EXPECT_EQ(joined.width, 2);
  EXPECT_EQ(joined.height, 2);
  EXPECT_TRUE(joined.version);
  viewer_options defaults;
  ASSERT_TRUE(parse({}, &defaults, &error));
  EXPECT_EQ(defaults.frames, -1);
  EXPECT_FALSE(defaults.seeded);
  EXPECT_EQ(defaults.width, 640);
  EXPECT_EQ(defaults.height, 360);
}

TEST(ViewerOptions, BadInputIsRefusedWithAReason) {
  const std::vector<std::vector<const char*>> bad = {
      {"--bogus"},          {"--frames"},           {"--frames", "-1"},
      {"--frames", "12x"},  {"--seed", "4294967296"}, {"--size", "0x10"},
      {"--size", "640"},    {"--size", "640x"},     {"--capture"},
      {"--capture", ""},    {"frames"},
      // A side of one pixel never draws a frame; nothing to capture in none.
      {"--size", "1x360"},  {"--size", "360x1"},
      {"--frames", "0", "--capture", "f.ppm"}, {"--seed", "1", "extra"},
  };
  for (const auto& args : bad) {
    viewer_options o;
    std::string error;
    EXPECT_FALSE(parse(args, &o, &error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(error.empty());
  }
}

// Each documented limit: the last value taken is stored as written, the first
// one past it refused.
TEST(ViewerOptions, LimitsTakeTheirLastValueAndRefuseTheNext) {
  struct edge {
    std::vector<const char*> words;
    bool taken;
    long frames = 0;
    int width = 0, height = 0;
    unsigned seed = 0;
  };
  const edge edges[] = {
      {{"--size", "2x2"}, true, -1, 2, 2, 0},
      {{"--size", "16384x16384"}, true, -1, 16384, 16384, 0},
      {{"--size", "1x2"}, false},
      {{"--size", "2x1"}, false},
      {{"--size", "16385x2"}, false},
      {{"--size", "2x16385"}, false},
      {{"--frames", "1", "--capture", "f.ppm"}, true, 1, 640, 360, 0},
      {{"--frames", "7", "--capture-from", "7"}, true, 7, 640, 360, 0},
      {{"--frames", "7", "--capture-from", "8"}, false},
      {{"--capture-from", "0"}, false},  // no end: frames until the disk is full
      {{"--frames", "0"}, true, 0, 640, 360, 0},
      {{"--frames", "9223372036854775807"}, true, LONG_MAX, 640, 360, 0},
      {{"--frames", "9223372036854775808"}, false},
      {{"--seed", "0"}, true, -1, 640, 360, 0},
      {{"--seed", "4294967295"}, true, -1, 640, 360, 4294967295u},
      {{"--seed", "4294967296"}, false},
  };
  for (const edge& e : edges) {
    viewer_options o;
    std::string error;
    const std::string row = std::string(e.words[0]) + " " + e.words[1];
    ASSERT_EQ(e.taken, parse(e.words, &o, &error)) << row << ": " << error;
    if (!e.taken) {
      EXPECT_NE(std::string::npos, error.find(e.words[0])) << row << ": " << error;
      continue;
    }
    EXPECT_EQ(e.frames, o.frames) << row;
    EXPECT_EQ(e.width, o.width) << row;
    EXPECT_EQ(e.height, o.height) << row;
    EXPECT_EQ(e.seed, o.seed) << row;
  }
}

}  // namespace
