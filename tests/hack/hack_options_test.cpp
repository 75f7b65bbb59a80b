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

TEST(HackOptions, DefaultsAreSilentSixtyFramesASecondInItsOwnWindow) {
  hack_options o;
  std::string error;
  ASSERT_TRUE(parse({}, &o, &error));
  EXPECT_EQ(16666, o.delay_us);
  hack_options slowest;
  ASSERT_TRUE(parse({"-delay", "10000000"}, &slowest, &error)) << error;
  EXPECT_EQ(10000000, slowest.delay_us);
  EXPECT_FALSE(o.music);
  EXPECT_FALSE(o.show_fps);
  EXPECT_FALSE(o.seeded);
  EXPECT_EQ(ORVANE_SOUND_FONT, o.sound_font);
}

TEST(HackOptions, OneDashTwoDashesAndEqualsAllWork) {
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

TEST(HackOptions, WindowIdsInDecimalOrHex) {
  unsigned long id = 0;
  EXPECT_TRUE(parse_window_id("0x2a00007", &id));
  EXPECT_EQ(0x2a00007ul, id);
  EXPECT_TRUE(parse_window_id("44040199", &id));
  EXPECT_EQ(44040199ul, id);
  EXPECT_TRUE(parse_window_id("0x1fffffff", &id)) << "the largest X resource id";
  // Hex as other programs print it: 0X, upper-case digits.
  EXPECT_TRUE(parse_window_id("0X2A00007", &id));
  EXPECT_EQ(0x2a00007ul, id);
  // Decimal stays decimal with leading zeros: no program prints ids in octal.
  EXPECT_TRUE(parse_window_id("044040199", &id));
  EXPECT_EQ(44040199ul, id);
  for (const char* bad : {"", "0", "0x", "-5", " 12", "12abc", "0x20000000", "99999999999"})
    EXPECT_FALSE(parse_window_id(bad, &id)) << bad;
}

TEST(HackOptions, BadValuesAndUnknownWordsAreRefusedWithAReason) {
  const std::vector<std::vector<const char*>> cases = {{"--bogus"},
                                                       {"-delay"},
                                                       {"-delay", "-1"},
                                                       {"-delay", "1e3"},
                                                       {"-delay", "10000001"},
                                                       {"--seed", "4294967296"},
                                                       {"-window-id", "zero"},
                                                       {"--soundfont"},
                                                       {"--soundfont="},
                                                       {"--music=yes"},
                                                       {"stray"},
                                                       {"-"},
                                                       {"-visual"},
                                                       {"-display", ""},
                                                       {"-install=1"},
                                                       {"-vv"}};
  for (const auto& c : cases) {
    hack_options o;
    std::string error;
    EXPECT_FALSE(parse(c, &o, &error)) << c[0];
    EXPECT_FALSE(error.empty()) << c[0];
  }
}

// The settings program starts its preview as the programs line plus its own
// window: "orvane --root --window-id 0x200002", with XSCREENSAVER_WINDOW set.
TEST(HackOptions, TheSettingsPreviewDrawsIntoTheWindowItNames) {
  hack_options o;
  std::string error;
  ASSERT_TRUE(parse({"--root", "--window-id", "0x200002"}, &o, &error)) << error;
  hack_target t;
  ASSERT_TRUE(choose_target(o, "0x400001", &t, &error)) << error;
  EXPECT_EQ(hack_target::given_window, t.kind);
  EXPECT_EQ(0x200002ul, t.window);

  // Either order, either window word.
  hack_options later;
  ASSERT_TRUE(parse({"-window-id=0x200002", "-window", "-root"}, &later, &error)) << error;
  ASSERT_TRUE(choose_target(later, "0x400001", &t, &error));
  EXPECT_EQ(0x200002ul, t.window);
}

TEST(HackOptions, OfRootAndWindowTheLastOneWins) {
  hack_options o;
  std::string error;
  hack_target t;
  ASSERT_TRUE(parse({"-root", "-window"}, &o, &error)) << error;
  ASSERT_TRUE(choose_target(o, "0x400001", &t, &error));
  EXPECT_EQ(hack_target::own_window, t.kind);

  hack_options back;
  ASSERT_TRUE(parse({"--window", "--root", "-window", "-root"}, &back, &error)) << error;
  ASSERT_TRUE(choose_target(back, nullptr, &t, &error));
  EXPECT_EQ(hack_target::root_window, t.kind);
  ASSERT_TRUE(choose_target(back, "0x400001", &t, &error));
  EXPECT_EQ(hack_target::given_window, t.kind);
}

TEST(HackOptions, XscreensaversCommonOptionsAreTakenNotRefused) {
  hack_options o;
  std::string error;
  ASSERT_TRUE(parse({"-visual", "default", "-install", "--noinstall", "-mono", "-fps", "-no-fps",
                     "-geometry", "640x360+10+10", "-display", ":7", "-v"},
                    &o, &error))
      << error;
  EXPECT_FALSE(o.show_fps);  // -no-fps after -fps
  EXPECT_EQ(":7", o.display);
  EXPECT_TRUE(o.verbose);
  EXPECT_EQ(16666, o.delay_us);
  hack_options slowest;
  ASSERT_TRUE(parse({"-delay", "10000000"}, &slowest, &error)) << error;
  EXPECT_EQ(10000000, slowest.delay_us);
  hack_options quiet;
  ASSERT_TRUE(parse({"--verbose=x"}, &quiet, &error) == false);
  ASSERT_TRUE(parse({"--verbose"}, &quiet, &error));
  EXPECT_TRUE(quiet.verbose);
}

// The usage comes from the same table as the parser: every option it lists
// is one the parser takes, and the parser's errors name the option.
TEST(HackOptions, UsageListsWhatTheParserTakes) {
  const std::string usage = hack_usage();
  for (const char* word : {"-root", "-window", "-window-id ID", "-delay USEC", "-fps", "-no-fps",
                           "-seed N", "-music", "-soundfont FILE", "-display D", "-verbose, -v",
                           "-help, -h", "-version", "-visual V", "-geometry G", "-install",
                           "-noinstall", "-mono"})
    EXPECT_NE(std::string::npos, usage.find(word)) << word;
  hack_options o;
  std::string error;
  EXPECT_FALSE(parse({"--delay", "soon"}, &o, &error));
  EXPECT_EQ("-delay needs microseconds from 0 to 10000000", error);
  EXPECT_FALSE(parse({"-window-id"}, &o, &error));
  EXPECT_EQ("-window-id needs a window id, decimal or 0x hex", error);
}

TEST(HackOptions, TargetPrefersWindowIdThenOwnWindowThenDaemonThenRoot) {
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

// Limits at their edges, one row each: the last value taken is stored as
// written, the first one past it refused with the option's name.
TEST(HackOptionLimits, LastValueTakenFirstPastItRefused) {
  struct edge {
    std::vector<const char*> words;
    bool taken;
    long delay_us = 0;
    unsigned seed = 0;
    unsigned long window_id = 0;
  };
  const edge edges[] = {
      {{"-delay", "0"}, true, 0, 0, 0},
      {{"-delay", "10000000"}, true, 10000000, 0, 0},
      {{"-delay", "10000001"}, false},
      {{"-seed", "0"}, true, 16666, 0, 0},
      {{"-seed", "4294967295"}, true, 16666, 4294967295u, 0},
      {{"-seed", "4294967296"}, false},
      {{"-window-id", "1"}, true, 16666, 0, 1},
      {{"-window-id", "0"}, false},
      {{"-window-id", "0x1fffffff"}, true, 16666, 0, 0x1fffffff},
      {{"-window-id", "536870911"}, true, 16666, 0, 0x1fffffff},
      {{"-window-id", "0x20000000"}, false},
      {{"-window-id", "536870912"}, false},
  };
  for (const edge& e : edges) {
    hack_options o;
    std::string error;
    const std::string row = std::string(e.words[0]) + " " + e.words[1];
    ASSERT_EQ(e.taken, parse(e.words, &o, &error)) << row << ": " << error;
    if (!e.taken) {
      EXPECT_EQ(0u, error.find(e.words[0])) << row << ": " << error;
      continue;
    }
    EXPECT_EQ(e.delay_us, o.delay_us) << row;
    EXPECT_EQ(e.seed, o.seed) << row;
    EXPECT_EQ(e.window_id, o.window_id) << row;
  }
}

}  // namespace
