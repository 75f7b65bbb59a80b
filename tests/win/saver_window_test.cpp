// The saver window's run from class registration to the end of its message
// loop, on the 95/98/Me family with the stand-in verifier.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host_state.h"
#include "legacy_family.h"
#include "saver_host.h"

TEST(MessageLoop, EndsWithTheQuitCodeAndWithMinusOneWhenTheQueueCannotBeRead) {
  PostThreadMessageA(GetCurrentThreadId(), WM_USER, 42, 0);
  PostQuitMessage(5);
  EXPECT_EQ(5, run_message_loop(nullptr));

  HWND gone = make_window(DefWindowProcA);
  DestroyWindow(gone);
  PostThreadMessageA(GetCurrentThreadId(), WM_USER, 42, 0);
  EXPECT_EQ(-1, run_message_loop(gone));
  drain(nullptr);
}

namespace {

const char title_picture[] = "c:/Program Files/Orvane/Orvane.ppm";

int mark_while_running = -1;

// Looks at the running saver once, then asks it to end with a key.
void CALLBACK look_and_press(HWND, UINT, UINT_PTR timer, DWORD) {
  if (!saver_window) return;
  KillTimer(nullptr, timer);
  mark_while_running = saver_running_mark();
  PostMessageA(saver_window, WM_KEYDOWN, VK_SPACE, 0);
}

void report_mark_at_exit() {
  std::fprintf(stderr, "saver running mark at exit: %d\n", saver_running_mark() ? 1 : 0);
}

// Moves the title picture away for the life of the object.
class picture_hidden {
 public:
  picture_hidden() : moved_(MoveFileExA(title_picture, hidden().c_str(), 0)) {}
  ~picture_hidden() {
    if (moved_) MoveFileExA(hidden().c_str(), title_picture, 0);
  }

 private:
  static std::string hidden() { return std::string(title_picture) + ".hidden"; }
  bool moved_;
};

class SaverRun : public LegacyFamily {
 protected:
  void SetUp() override {
    LegacyFamily::SetUp();
    load_libraries_from(stand_in_folder());
    use_password(1);
  }
};

}  // namespace

TEST_F(SaverRun, TheSaverRunningMarkLastsWhileAPasswordProtectedSaverRuns) {
  mark_while_running = -1;
  ASSERT_TRUE(SetTimer(nullptr, 0, 50, look_and_press));
  EXPECT_EQ(0, run_saver_window(nullptr));
  EXPECT_EQ(1, mark_while_running);
  EXPECT_FALSE(saver_running_mark());
  EXPECT_EQ(nullptr, verifier_module);
}

TEST_F(SaverRun, AMissingPictureEndsWithCodeOneAndClearsTheMark) {
  picture_hidden picture;
  // In the child that the death test starts, the picture is gone already.
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(title_picture));
  EXPECT_EXIT(
      {
        std::atexit(report_mark_at_exit);  // runs after whatever the saver registers later
        run_saver_window(nullptr);
      },
      ::testing::ExitedWithCode(1), "saver running mark at exit: 0");
}
