// Waiting for a condition with a deadline, for tests that watch another
// process or the X server: a loaded machine only makes them slower.
#pragma once

#include <ctime>

// Polls `done` every 20 ms until it holds or `ms` pass; its last answer.
template <class F>
bool wait_until_true(F done, int ms) {
  for (int waited = 0;; waited += 20) {
    if (done()) return true;
    if (waited >= ms) return false;
    struct timespec t {
      0, 20 * 1000 * 1000
    };
    nanosleep(&t, nullptr);
  }
}
