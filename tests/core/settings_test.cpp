#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gl_test_env.h"
#include "main.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  temp_dir dir;
  std::string path = dir.file("basic.config");
  void write(const std::string& text) { write_file_bytes(path, text); }

  // Reads the flag from a fresh `false`, capturing both streams.
  struct flag_result {
    int status;
    bool flag;
    std::string out, err;
  };
  flag_result read_flag(const std::string& text, const char* key = "FullScreen") {
    write(text);
    flag_result r{};
    stream_capture out(1), err(2);
    r.status = read_config_flag(path.c_str(), key, &r.flag);
    r.out = out.text();
    r.err = err.text();
    return r;
  }
};

TEST_F(Settings, FlagValuesAndWhereAKeyCounts) {
  struct flag_case {
    std::string text;
    int status;
    bool flag;
  } cases[] = {
      {"FullScreen\t1\n", 0, true},
      {"FullScreen\t0\n", 0, false},
      {"FullScreen 2\n", 0, true},
      {"FullScreen\t-1\n", 0, true},
      {"# comment\nOther 1\n\nFullScreen 1\n", 0, true},
      {"FullScreen 0\nFullScreen 1\n", 0, false},  // only the first line counts
      {"Other 5\nFullScreen 1", 0, true},          // last line without a line end
      {"FullScreen 1\r\n", 0, true},
      // As Notepad saves it: CRLF, with or without a final line end, and a
      // UTF-8 byte-order mark before the first key.
      {"\xEF\xBB\xBF" "FullScreen\t1\r\nOther 2\r\n", 0, true},
      {"\xEF\xBB\xBF# saved by Notepad\r\nOther 2\r\nFullScreen 1", 0, true},
      {"\xEF\xBB\xBF" "FullScreen 0\r\n", 0, false},
      {"\xEF\xBB" "FullScreen 1\r\n", 1, false},     // half a mark is part of the key
      {"fullscreen 1\n", 1, false},                // keys are case-sensitive
      {"#FullScreen 1\n", 1, false},
      {"  #FullScreen 1\n", 1, false},             // key "#FullScreen"
      {"FullScreenX 1\n", 1, false},
      {"", 1, false},
  };
  for (const flag_case& c : cases) {
    flag_result r = read_flag(c.text);
    EXPECT_EQ(r.status, c.status) << c.text;
    EXPECT_EQ(r.flag, c.flag) << c.text;
    EXPECT_EQ(r.out, "") << c.text;
    EXPECT_EQ(r.err, c.status ? "# error: \"FullScreen\" no configuration parameter.\n" : "")
        << c.text;
  }
}

TEST_F(Settings, ALongLineIsReadAsSeveralPieces) {
  // The key sits just past the first 255 characters, so it starts a piece.
  flag_result r = read_flag(std::string(255, 'x') + "FullScreen 1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.flag);
  r = read_flag(std::string(250, 'x') + " FullScreen 1\n");
  EXPECT_EQ(r.status, 1);
  // A comment is skipped one read at a time: what runs past the first 255
  // characters is a line of its own.
  r = read_flag("#" + std::string(254, 'x') + "FullScreen 1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.flag);
  r = read_flag("#" + std::string(253, 'x') + "FullScreen 1\n");
  EXPECT_EQ(r.status, 1);
}

TEST_F(Settings, AHashInTheFirstColumnHidesEvenAKeySpeltWithIt) {
  write("#Size 5\n #Size 7\n");
  int value = 3;
  stream_capture out(1), err(2);
  // The comment line is skipped; the indented one is a line whose key is "#Size".
  EXPECT_EQ(read_config_int(path.c_str(), "#Size", &value), 0);
  EXPECT_EQ(value, 7);
  write("#Size 5\n");
  value = 3;
  EXPECT_EQ(read_config_int(path.c_str(), "#Size", &value), 1);
  EXPECT_EQ(value, 3);
}

TEST_F(Settings, MissingFileReportsOnTheReadersStreams) {
  std::string missing = dir.file("none.config");
  bool flag = true;
  int value = 7;
  char text[256] = "kept";
  {
    stream_capture out(1), err(2);
    EXPECT_EQ(read_config_flag(missing.c_str(), "FullScreen", &flag), 1);
    EXPECT_EQ(read_config_int(missing.c_str(), "Size", &value), 1);
    EXPECT_EQ(out.text(), "# error: cannot open file.\n# error: cannot open file.\n");
    EXPECT_EQ(err.text(), "");
  }
  {
    stream_capture out(1), err(2);
    EXPECT_EQ(read_config_string(missing.c_str(), "Name", text), 1);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(err.text(), "# error: cannot open file.\n");
  }
  EXPECT_TRUE(flag);
  EXPECT_EQ(value, 7);
  EXPECT_STREQ(text, "kept");
}

TEST_F(Settings, IntegerAndStringReaders) {
  write("Size\t-42\nName\tnebula-blue extra\nHuge 99999999999\n");
  int value = 0;
  char text[256] = "";
  EXPECT_EQ(read_config_int(path.c_str(), "Size", &value), 0);
  EXPECT_EQ(value, -42);
  EXPECT_EQ(read_config_string(path.c_str(), "Name", text), 0);
  EXPECT_STREQ(text, "nebula-blue");
  EXPECT_EQ(read_config_int(path.c_str(), "Huge", &value), 0);
  EXPECT_EQ(value, 2147483647);
  // A Notepad file: no CR is left in a value, the last line needs no line end.
  write("\xEF\xBB\xBFName\tnebula-red\r\nSize 17");
  EXPECT_EQ(read_config_string(path.c_str(), "Name", text), 0);
  EXPECT_STREQ(text, "nebula-red");
  EXPECT_EQ(read_config_int(path.c_str(), "Size", &value), 0);
  EXPECT_EQ(value, 17);
  // The longest value a line can hold fits the 256-character target.
  std::string long_value(250, 'v');
  write("K " + long_value + "\n");
  EXPECT_EQ(read_config_string(path.c_str(), "K", text), 0);
  EXPECT_EQ(std::string(text), long_value);
}

TEST_F(Settings, AKeyWithoutAValueChangesNothingAndSaysSo) {
  write("FullScreen\nSize abc\nName\n");
  bool flag = true;
  int value = 3;
  char text[256] = "kept";
  stream_capture err(2);
  EXPECT_EQ(read_config_flag(path.c_str(), "FullScreen", &flag), 0);
  EXPECT_EQ(read_config_int(path.c_str(), "Size", &value), 0);
  EXPECT_EQ(read_config_string(path.c_str(), "Name", text), 0);
  EXPECT_EQ(err.text(),
            "# error: \"FullScreen\" has no value.\n# error: \"Size\" has no value.\n"
            "# error: \"Name\" has no value.\n");
  EXPECT_TRUE(flag);
  EXPECT_EQ(value, 3);
  EXPECT_STREQ(text, "kept");
}

}  // namespace
