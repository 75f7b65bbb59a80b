#include <cstdint>

#include "host_state.h"
#include "host_test_support.h"
#include "saver_host.h"

namespace {

// Read through a volatile pointer so that the compiler keeps a real fault.
int* volatile fault_address = nullptr;

int faulting_body(const char*) {
  *fault_address = 1;
  return 7;
}

int clean_body(const char* tail) { return tail[0]; }

int filter_calls = 0;
LONG WINAPI handle_everything(EXCEPTION_POINTERS*) {
  ++filter_calls;
  return EXCEPTION_EXECUTE_HANDLER;
}

class SaverGuard : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    filter_calls = 0;
    // Stands for the platform's verdict: the unhandled-exception filter asks
    // the installed top-level filter first.
    previous = SetUnhandledExceptionFilter(handle_everything);
  }
  void TearDown() override {
    SetUnhandledExceptionFilter(previous);
    HostTest::TearDown();
  }
  LPTOP_LEVEL_EXCEPTION_FILTER previous = nullptr;
};

}  // namespace

TEST_F(SaverGuard, AFaultTheFilterAcceptsEndsWithMinusOne) {
  EXPECT_EQ(-1, run_guarded(faulting_body, ""));
  EXPECT_EQ(1, filter_calls);
  // The guard has stepped aside again.
  EXPECT_EQ(handle_everything, SetUnhandledExceptionFilter(handle_everything));
  // And it guards the next run as well.
  EXPECT_EQ(-1, run_guarded(faulting_body, ""));
  EXPECT_EQ(2, filter_calls);
}

TEST_F(SaverGuard, ACleanRunKeepsItsCodeAndLeavesTheFilterAlone) {
  EXPECT_EQ('s', run_guarded(clean_body, "s"));
  EXPECT_EQ(0, filter_calls);
  EXPECT_EQ(handle_everything, SetUnhandledExceptionFilter(handle_everything));
}

TEST_F(SaverGuard, AFaultClearsTheSaverRunningMark) {
  legacy_platform = 1;
  UINT scratch = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &scratch, 0);
  BOOL running = FALSE;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) || !running)
    GTEST_SKIP() << "this platform does not report the saver-running mark";
  EXPECT_EQ(-1, run_guarded(faulting_body, ""));
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  EXPECT_FALSE(running);
}

TEST_F(SaverGuard, SaverMainEndsWithMinusOneWhenItsModeFaults) {
  // A command tail that cannot be read faults inside the switch walk.
  LPSTR unreadable = reinterpret_cast<LPSTR>(static_cast<uintptr_t>(0x10));
  EXPECT_EQ(-1, saver_main(GetModuleHandleA(nullptr), nullptr, unreadable, SW_SHOWDEFAULT));
  EXPECT_EQ(1, filter_calls);
  EXPECT_EQ(GetModuleHandleA(nullptr), instance);
  EXPECT_EQ(0, legacy_platform);  // wine reports the NT family unless told otherwise
  // And a readable one runs its mode as usual.
  char unknown[] = "/x";
  EXPECT_EQ(-1, saver_main(GetModuleHandleA(nullptr), nullptr, unknown, SW_SHOWDEFAULT));
  EXPECT_EQ(1, filter_calls);
}

TEST_F(SaverGuard, TheFilterAnswersWithThePlatformsVerdict) {
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  CONTEXT context = {};
  EXCEPTION_POINTERS pointers = {&record, &context};
  EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, saver_exception_filter(&pointers));
  EXPECT_EQ(1, filter_calls);
}
