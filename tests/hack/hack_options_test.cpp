// The hack's command line and where it decides to draw.
#include "hack_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "glx_host.h"

namespace {

bool parse(std::vector<const char*> words, hack_options* out, std::string* error) {
  words.insert(words.begin(), "orvane");
  return parse_hack_options(static_cast<int>(words.size()), words.data(), out, error);
}

TEST(hack_options, DefaultsAreSilentSixtyFramesASecondInItsOwnWindow) {
  hack_options o;
  std::string error;
  ASSERT_TRUE(parse({}, &o, &error));
  EXPECT_EQ(16666, o.delay_us);
  EXPECT_FALSE(o.music);
  EXPECT_FALSE(o.show_fps);
  EXPECT_FALSE(o.seeded);
  EXPECT_EQ("/usr/share/sounds/sf2/default-GM.sf2", o.sound_font);
}

TEST(hack_options, OneDashTwoDashesAndEqualsAllWork) {
  hack_options o;
  std::string error;
  ASSERT_TRUE(parse({"-delay", "0", "--fps", "-music", "--seed=42", "-soundfont", "/x.sf2",
                     "--root", "-fullscreen"},
                    &o, &error))
      << error;
  EXPECT_EQ(0, o.delay_us);
  EXPECT_TRUE(o.show_fps);
  EXPECT_TRUE(o.music);
  EXPECT_TRUE(o.seeded);
  EXPECT_EQ(42u, o.seed);
  EXPECT_EQ("/x.sf2", o.sound_font);
  EXPECT_TRUE(o.root);
  EXPECT_TRUE(o.full_screen);
}

TEST(hack_options, WindowIdsInDecimalOrHex) {
  unsigned long id = 0;
  EXPECT_TRUE(parse_window_id("0x2a00007", &id));
  EXPECT_EQ(0x2a00007ul, id);
  EXPECT_TRUE(parse_window_id("44040199", &id));
  EXPECT_EQ(44040199ul, id);
  for (const char* bad : {"", "0", "0x", "-5", " 12", "12abc", "0x20000000", "99999999999"})
    EXPECT_FALSE(parse_window_id(bad, &id)) << bad;
}

TEST(hack_options, BadValuesAndUnknownWordsAreRefusedWithAReason) {
  const std::vector<std::vector<const char*>> cases = {{"--bogus"},
                                                       {"-delay"},
                                                       {"-delay", "-1"},
                                                       {"-delay", "1e3"},
                                                       {"-delay", "20000000"},
                                                       {"--seed", "4294967296"},
                                                       {"-window-id", "zero"},
                                                       {"--soundfont"},
                                                       {"--soundfont="},
                                                       {"--music=yes"},
                                                       {"stray"},
                                                       {"-"},
                                                       {"-window", "-window-id", "5"},
                                                       {"-root", "-window"}};
  for (const auto& c : cases) {
    hack_options o;
    std::string error;
    EXPECT_FALSE(parse(c, &o, &error)) << c[0];
    EXPECT_FALSE(error.empty()) << c[0];
  }
}

TEST(hack_options, TargetPrefersWindowIdThenOwnWindowThenDaemonThenRoot) {
  hack_target t;
  std::string error;
  hack_options o;
  ASSERT_TRUE(choose_target(o, nullptr, &t, &error));
  EXPECT_EQ(hack_target::own_window, t.kind);

  ASSERT_TRUE(choose_target(o, "0x400001", &t, &error));
  EXPECT_EQ(hack_target::given_window, t.kind);
  EXPECT_EQ(0x400001ul, t.window);

  o.root = true;
  ASSERT_TRUE(choose_target(o, "", &t, &error));
  EXPECT_EQ(hack_target::root_window, t.kind);
  ASSERT_TRUE(choose_target(o, "4194305", &t, &error));
  EXPECT_EQ(hack_target::given_window, t.kind);
  EXPECT_EQ(4194305ul, t.window);

  hack_options own;
  own.own_window = true;
  ASSERT_TRUE(choose_target(own, "0x400001", &t, &error));
  EXPECT_EQ(hack_target::own_window, t.kind);

  hack_options given;
  given.window_id = 77;
  ASSERT_TRUE(choose_target(given, "0x400001", &t, &error));
  EXPECT_EQ(77ul, t.window);

  EXPECT_FALSE(choose_target(o, "not-a-window", &t, &error));
  EXPECT_NE(std::string::npos, error.find("XSCREENSAVER_WINDOW"));
}

}  // namespace
