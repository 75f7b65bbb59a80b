// The default saver behaviour and the password gate, on a plain window whose
// procedure is the default saver behaviour itself (as the scene hands on).
#include <vector>

#include "host_state.h"
#include "host_test_support.h"
#include "import_override.h"
#include "saver_host.h"

namespace {

BOOL WINAPI always_refuse(HWND) { return FALSE; }
BOOL WINAPI always_accept(HWND) { return TRUE; }

LRESULT CALLBACK default_only(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return default_saver_proc(window, message, wparam, lparam);
}

class DefaultSaverProc : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    window = make_window(default_only);
    ASSERT_TRUE(window);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    drain(nullptr);
    HostTest::TearDown();
  }
  LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(window, message, wparam, lparam);
  }
  bool closed_posted() { return count_posted(window, WM_CLOSE) > 0; }

  HWND window = nullptr;
};

}  // namespace

TEST_F(DefaultSaverProc, KeysAndClicksPostAClose) {
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    send(message, 'X');
    EXPECT_EQ(1, count_posted(window, WM_CLOSE)) << message;
  }
  send(WM_KEYUP, 'X');
  send(WM_LBUTTONUP);
  EXPECT_FALSE(closed_posted());
}

TEST_F(DefaultSaverProc, PointerMustTravelMoreThanFourPixelsFromTheReference) {
  ASSERT_TRUE(SetCursorPos(200, 200));
  GetCursorPos(&saved_cursor);
  ASSERT_EQ(200, saved_cursor.x);

  SetCursorPos(203, 201);  // 4 in total
  send(WM_MOUSEMOVE);
  EXPECT_FALSE(closed_posted());
  EXPECT_EQ(200, saved_cursor.x);

  SetCursorPos(204, 201);  // 5 in total
  send(WM_MOUSEMOVE);
  EXPECT_TRUE(closed_posted());
  EXPECT_EQ(204, saved_cursor.x);
  EXPECT_EQ(201, saved_cursor.y);

  // Small steps add up against the new reference.
  SetCursorPos(205, 202);
  send(WM_MOUSEMOVE);
  SetCursorPos(206, 203);
  send(WM_MOUSEMOVE);
  EXPECT_FALSE(closed_posted());
  SetCursorPos(206, 204);
  send(WM_MOUSEMOVE);
  EXPECT_TRUE(closed_posted());
}

TEST_F(DefaultSaverProc, PointerRuleReadsThePointerNotTheMessage) {
  SetCursorPos(300, 300);
  GetCursorPos(&saved_cursor);
  send(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(closed_posted());
}

namespace {
// A failed read promises nothing about the point; this one leaves a far-off one.
BOOL WINAPI unreadable_pointer(POINT* point) {
  point->x = point->y = 30000;
  return FALSE;
}
}  // namespace

TEST_F(DefaultSaverProc, AnUnreadablePointerIsNoMovement) {
  saved_cursor = {100, 100};
  import_override failing("user32.dll", "GetCursorPos",
                          reinterpret_cast<void*>(unreadable_pointer));
  ASSERT_TRUE(failing.active());
  send(WM_MOUSEMOVE);
  EXPECT_FALSE(closed_posted());
  EXPECT_EQ(100, saved_cursor.x);
}

TEST_F(DefaultSaverProc, ActivationShowAndCursorMessages) {
  send(WM_ACTIVATEAPP, TRUE);
  EXPECT_FALSE(closed_posted());
  send(WM_ACTIVATEAPP, FALSE);
  EXPECT_TRUE(closed_posted());

  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(arrow);
  EXPECT_EQ(TRUE, send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT));
  EXPECT_EQ(nullptr, GetCursor());
  SetCursor(arrow);
  send(WM_SHOWWINDOW, FALSE);
  EXPECT_EQ(arrow, GetCursor());
  send(WM_SHOWWINDOW, TRUE);
  EXPECT_EQ(nullptr, GetCursor());
  EXPECT_FALSE(closed_posted());
}

TEST_F(DefaultSaverProc, PowerMessages) {
  send(WM_POWER, 1);
  EXPECT_FALSE(closed_posted());
  send(WM_POWER, PWR_CRITICALRESUME);
  EXPECT_TRUE(closed_posted());

  // Suspend and standby queries and notices, battery, OEM and unknown events.
  for (WPARAM event : {0, 1, 2, 3, 4, 5, 9, 11, 12, 17, 19, 0x8013}) {
    send(WM_POWERBROADCAST, event);
    EXPECT_TRUE(closed_posted()) << event;
  }
  // Resumes close unless they come back from a failure.
  for (WPARAM event : {6, 7, 8, 18}) {
    send(WM_POWERBROADCAST, event, 0);
    EXPECT_TRUE(closed_posted()) << event;
    send(WM_POWERBROADCAST, event, PBTF_APMRESUMEFROMFAILURE);
    EXPECT_FALSE(closed_posted()) << event;
  }
}

TEST_F(DefaultSaverProc, PowerStatusChangeClosesOnlyWhenTheLineStatusChanges) {
  SYSTEM_POWER_STATUS power;
  BYTE status = GetSystemPowerStatus(&power) ? power.ACLineStatus : 255;

  ac_line_status = status;
  send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
  EXPECT_FALSE(closed_posted());

  ac_line_status = static_cast<BYTE>(status == 1 ? 0 : 1);
  send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
  EXPECT_TRUE(closed_posted());
  EXPECT_EQ(status, ac_line_status);
}

TEST_F(DefaultSaverProc, PreviewAndClosingIgnoreInputAndPower) {
  for (int* flag : {&is_preview, &close_allowed}) {
    *flag = 1;
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_ACTIVATEAPP, WM_POWERBROADCAST})
      send(message);
    SetCursorPos(10, 10);
    saved_cursor = {500, 500};
    send(WM_MOUSEMOVE);
    EXPECT_FALSE(closed_posted());
    *flag = 0;
  }
}

TEST_F(DefaultSaverProc, InputDuringAVerificationPostsNothing) {
  verifying = 1;
  send(WM_KEYDOWN, 'X');
  send(WM_ACTIVATEAPP, FALSE);
  EXPECT_FALSE(closed_posted());
}

TEST_F(DefaultSaverProc, OffTheLegacyFamilyCloseIsNotGated) {
  legacy_platform = 0;
  EXPECT_EQ(0, send(WM_APP));  // left to the default procedure
  send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(0, close_allowed);
}

TEST_F(DefaultSaverProc, PreviewClosesWithoutAPassword) {
  legacy_platform = 1;
  is_preview = 1;
  verify_password = always_refuse;
  send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(DefaultSaverProc, AutoplayQueryPostsACloseAndCancelsOnlyWhenLocked) {
  autoplay_message = RegisterWindowMessageA("QueryCancelAutoPlay");
  legacy_platform = 1;
  EXPECT_EQ(0, send(autoplay_message));
  EXPECT_TRUE(closed_posted());

  verify_password = always_accept;
  EXPECT_EQ(1, send(autoplay_message));
  EXPECT_TRUE(closed_posted());

  // In every mode.
  is_preview = 1;
  EXPECT_EQ(1, send(autoplay_message));
  EXPECT_TRUE(closed_posted());
}

// The password gate of the 95/98/Me family, with a scripted verifier.
namespace {

std::vector<BOOL> verdicts;
std::vector<HWND> asked;
void (*during_verification)(HWND) = nullptr;

BOOL WINAPI scripted_verifier(HWND window) {
  asked.push_back(window);
  if (during_verification) during_verification(window);
  BOOL verdict = verdicts.empty() ? TRUE : verdicts.front();
  if (!verdicts.empty()) verdicts.erase(verdicts.begin());
  return verdict;
}

class PasswordGate : public DefaultSaverProc {
 protected:
  void SetUp() override {
    DefaultSaverProc::SetUp();
    legacy_platform = 1;
    verify_password = scripted_verifier;
    verdicts.clear();
    asked.clear();
    during_verification = nullptr;
  }
};

}  // namespace

TEST_F(PasswordGate, NoVerifierLetsTheFirstCloseThrough) {
  verify_password = nullptr;
  EXPECT_EQ(1, send(WM_APP));
  send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(1, close_allowed);
}

TEST_F(PasswordGate, ARefusalKeepsTheWindowAndRenewsThePointerReference) {
  verdicts = {FALSE};
  SetCursorPos(321, 123);
  saved_cursor = {0, 0};
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  DWORD before = GetTickCount();
  EXPECT_EQ(0, send(WM_CLOSE));
  EXPECT_EQ(nullptr, GetCursor());
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ(window, asked[0]);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(0, close_allowed);
  EXPECT_EQ(0, verifying);
  EXPECT_EQ(321, saved_cursor.x);
  EXPECT_EQ(123, saved_cursor.y);
  EXPECT_LE(last_verify_tick - before, 1000u);
  EXPECT_LT(GetTickCount() - last_verify_tick, 1000u);
}

TEST_F(PasswordGate, ClosesWithin200msOfAVerificationAreRefusedUnasked) {
  verdicts = {FALSE, TRUE};
  send(WM_CLOSE);
  ASSERT_EQ(1u, asked.size());

  last_verify_tick = GetTickCount();
  EXPECT_EQ(0, verify_before_close(window));
  EXPECT_EQ(1u, asked.size());

  last_verify_tick = GetTickCount() - 250;
  EXPECT_EQ(1, verify_before_close(window));
  EXPECT_EQ(2u, asked.size());
  EXPECT_EQ(1, close_allowed);
}

TEST_F(PasswordGate, AcceptanceDestroysTheWindow) {
  verdicts = {TRUE};
  send(WM_CLOSE);
  EXPECT_EQ(1u, asked.size());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(1, close_allowed);
  // Nothing is asked once closing is allowed.
  EXPECT_EQ(0, verify_before_close(window));
}

TEST_F(PasswordGate, NestedClosesAndInputDuringTheDialogAreRefused) {
  static LRESULT nested_close_result;
  static int nested_closes_posted;
  during_verification = [](HWND w) {
    nested_close_result = SendMessageA(w, WM_CLOSE, 0, 0);
    SendMessageA(w, WM_KEYDOWN, 'X', 0);
    SendMessageA(w, WM_ACTIVATEAPP, FALSE, 0);
    nested_closes_posted = count_posted(w, WM_CLOSE);
  };
  nested_close_result = -1;
  nested_closes_posted = -1;
  verdicts = {FALSE};
  send(WM_CLOSE);
  EXPECT_EQ(1u, asked.size());
  EXPECT_EQ(0, nested_close_result);
  EXPECT_EQ(0, nested_closes_posted);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(0, verifying);
}

TEST_F(PasswordGate, PendingFramesAreDroppedBeforeAsking) {
  for (int i = 0; i < 3; ++i) PostMessageA(window, WM_TIMER, 0x7FFF, 0);
  verdicts = {FALSE};
  send(WM_CLOSE);
  EXPECT_EQ(1, count_posted(window, WM_TIMER));
}
