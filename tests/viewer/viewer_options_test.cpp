#include <gtest/gtest.h>

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

}  // namespace
