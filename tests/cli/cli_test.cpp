// The option table and the whole-number rule both Linux programs read their
// command lines with: the edges a hand-written parser gets wrong.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "option_table.h"
#include "whole_number.h"

namespace {

TEST(Cli, WholeNumbersTakeDigitsOnlyUpToTheirLimit) {
  unsigned long long v = 7;
  EXPECT_TRUE(cli::parse_whole("0", 10, 5, &v));
  EXPECT_EQ(0u, v);
  EXPECT_TRUE(cli::parse_whole("5", 10, 5, &v));
  EXPECT_EQ(5u, v);
  EXPECT_TRUE(cli::parse_whole("18446744073709551615", 10, ULLONG_MAX, &v));
  EXPECT_EQ(ULLONG_MAX, v);
  EXPECT_TRUE(cli::parse_whole("0x1f", 0, 31, &v));
  EXPECT_EQ(31u, v);
  v = 7;
  for (const char* bad : {"6", "18446744073709551616", "-0", "-1", "+1", " 1", "1 ", "", "0x1f",
                          "1.0", "1e3", "x"})
    EXPECT_FALSE(cli::parse_whole(bad, 10, bad[0] == '1' && bad[1] == '8' ? ULLONG_MAX : 5, &v))
        << bad;
  EXPECT_FALSE(cli::parse_whole("0x20", 0, 31, &v));
  EXPECT_FALSE(cli::parse_whole(nullptr, 10, 5, &v));
  EXPECT_EQ(7u, v);  // a refused word leaves the number as it was

  unsigned seed = 0;
  EXPECT_TRUE(cli::parse_seed("4294967295", &seed));
  EXPECT_EQ(4294967295u, seed);
  EXPECT_FALSE(cli::parse_seed("4294967296", &seed));
  EXPECT_FALSE(cli::parse_seed("-1", &seed));
}

struct toy_options {
  bool loud = false;
  unsigned long long count = 0;
  bool once = false;
};

constexpr cli::option<toy_options> toy_table[] = {
    {{"loud", "l"}, nullptr, "be loud", nullptr,
     [](toy_options* o, const char*) { return o->loud = true; }},
    {{"count"}, "N", "how many", "a count up to 9",
     [](toy_options* o, const char* v) { return cli::parse_whole(v, 10, 9, &o->count); }},
    {{"quiet-thing"}, "Q", nullptr, "anything", [](toy_options*, const char*) { return true; }},
    {{"once"}, nullptr, "at most once", nullptr,
     [](toy_options* o, const char*) { return !o->once && (o->once = true); }},
};
constexpr cli::style toy_style = {"toy", "--"};

bool toy_parse(std::vector<const char*> words, toy_options* o, std::string* error) {
  words.insert(words.begin(), "toy");
  return cli::parse_options(toy_table, toy_style, static_cast<int>(words.size()), words.data(), o,
                            error);
}

TEST(Cli, TheTableReadsWordsAndNamesTheOptionInEachError) {
  std::string error;
  for (const auto& words : std::vector<std::vector<const char*>>{
           {"-loud", "--count", "3"}, {"--l", "-count=3"}, {"-count", "3", "--loud"}}) {
    toy_options o;
    ASSERT_TRUE(toy_parse(words, &o, &error)) << words[0] << ": " << error;
    EXPECT_TRUE(o.loud) << words[0];
    EXPECT_EQ(3u, o.count) << words[0];
  }
  const std::vector<std::pair<std::vector<const char*>, std::string>> refused = {
      {{"--count"}, "--count needs a count up to 9"},
      {{"-count", "10"}, "--count needs a count up to 9"},
      {{"--count="}, "--count needs a count up to 9"},
      {{"--cou", "3"}, "unknown option --cou"},  // no abbreviations
      {{"--secret=hunter2"}, "unknown option --secret"},
      {{"--loud=yes"}, "option --loud=yes takes no value"},
      {{"--loud", "stray"}, "unexpected argument stray"},
      {{"-"}, "unexpected argument -"},
      {{"--"}, "unknown option --"},
      {{"--once", "--once"}, "--once was refused"},  // a flag has no value to describe
  };
  for (const auto& r : refused) {
    toy_options o;
    EXPECT_FALSE(toy_parse(r.first, &o, &error)) << r.second;
    EXPECT_EQ(r.second, error);
  }
}

TEST(Cli, TheUsageListsEachOptionOnceInTheProgramsStyle) {
  const std::string usage = cli::make_usage(toy_table, toy_style, "Also taken: ");
  EXPECT_EQ(
      "usage: toy [--loud | -l] [--count N] [--once]\n"
      "  --loud, -l        be loud\n"
      "  --count N         how many\n"
      "  --once            at most once\n"
      "Also taken: --quiet-thing Q.\n",
      usage);
  // A long synopsis wraps under the program's name, never past 78 columns.
  cli::usage_builder wide({"toy", "-"});
  const char* names[2] = {"an-option-with-a-long-name", nullptr};
  for (int i = 0; i < 4; ++i) wide.add(names, "VALUE", "help");
  const std::string text = wide.text("");
  EXPECT_NE(std::string::npos, text.find("\n           [-an-option")) << text;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 78u) << text.substr(start, end - start);
}

}  // namespace
