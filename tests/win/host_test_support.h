// Shared pieces of the host tests: a clean host state per test, throw-away
// windows, and looks into a window's message queue.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

// Every host variable back to its value at process start.
void reset_host_state();

// A window of a class of our own whose procedure is proc; hidden unless the
// style says otherwise.
HWND make_window(WNDPROC proc, DWORD style = WS_POPUP, HWND parent = nullptr, int width = 320,
                 int height = 200, const char* class_name = nullptr);

// Registers the saver's window class with its procedure and styles, as the
// host does, for tests that make saver windows themselves (again: no harm).
void register_saver_class();

// Removes one posted message of that number for the window (any window when
// window is null); true when there was one.
bool take_posted(HWND window, UINT message);
// How many posted messages of that number wait for the window, removing them.
int count_posted(HWND window, UINT message);
// Removes everything posted to the window and dispatches sent messages.
void drain(HWND window);

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_host_state(); }
  void TearDown() override { reset_host_state(); }
};
