#include "command_line.h"

#include <string>

#include "host_state.h"
#include "host_test_support.h"

TEST(SkipProgramName, PlainQuotedAndUnterminatedNames) {
  EXPECT_STREQ("/s", skip_program_name("Orvane.scr /s"));
  EXPECT_STREQ("/p 12", skip_program_name("\"C:\\Program Files\\My Savers\\Orvane.scr\" /p 12"));
  EXPECT_STREQ("/c", skip_program_name("\"C:\\a b.scr\"\t \t/c"));
  // An unterminated quote takes everything: configuration mode follows.
  EXPECT_STREQ("", skip_program_name("\"C:\\a b.scr /s"));
  EXPECT_STREQ("", skip_program_name("Orvane.scr"));
  EXPECT_STREQ("", skip_program_name("Orvane.scr   "));
  EXPECT_STREQ("/s", skip_program_name(" /s"));
}

TEST(ParseDecimal, DigitsUpToTheFirstOtherByte) {
  EXPECT_EQ(123u, parse_decimal("123"));
  EXPECT_EQ(12u, parse_decimal("12x"));
  EXPECT_EQ(7u, parse_decimal("007"));
  EXPECT_EQ(4294967295u, parse_decimal("4294967295"));
  for (const char* none : {"", "abc", " 12", "+1", "-1", "0x10", ":123", "\xB9"})
    EXPECT_EQ(0u, parse_decimal(none)) << none;
}

TEST(ParseDecimal, NumbersPastThirtyTwoBitsAreNoHandle) {
  // Wrapping would turn 4294967297 into window 1.
  EXPECT_EQ(0u, parse_decimal("4294967296"));
  EXPECT_EQ(0u, parse_decimal("4294967297"));
  EXPECT_EQ(0u, parse_decimal("99999999999999999999999"));
}

TEST(HandleFromDecimal, SignExtendsLikeTheShell) {
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234)), handle_from_decimal(0x1234));
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<intptr_t>(-2)), handle_from_decimal(0xFFFFFFFEu));
}

class ChooseMode : public HostTest {};

TEST_F(ChooseMode, UnknownSwitchesAndBadPreviewParentsEndWithMinusOne) {
  HWND live = make_window(DefWindowProcA);
  // 4294967296 plus a live handle would wrap onto that window.
  std::string wrapped = "/p " + std::to_string(4294967296ull + reinterpret_cast<uintptr_t>(live));
  for (const char* tail : {"/x", "x", "-/ q", "\xE9", "/p 0", "/p abc", "/p:123", "/p", "/l 0",
                           "/p 4294967295", wrapped.c_str()})
    EXPECT_EQ(-1, choose_mode(tail)) << tail;
  EXPECT_EQ(nullptr, FindWindowA("WindowsScreenSaverClass", nullptr));
  DestroyWindow(live);
}

TEST_F(ChooseMode, ConfigurationEndsWithMinusOneForWantOfATemplate) {
  HWND owner = make_window(DefWindowProcA);
  std::string with_owner = "/c:" + std::to_string(reinterpret_cast<uintptr_t>(owner));
  for (const char* tail : {"", "   ", " -/-/ ", "/c", "C", "/c:0", "/c 123", with_owner.c_str()})
    EXPECT_EQ(-1, choose_mode(tail)) << '"' << tail << '"';
  DestroyWindow(owner);
}

TEST_F(ChooseMode, PasswordChangeOnlyOnTheLegacyFamily) {
  legacy_platform = 0;
  EXPECT_EQ(-1, choose_mode("/a"));
  EXPECT_EQ(-1, choose_mode("/a 123"));
}
