// The last-chance guard around the mode. gcc has no __try/__except, so the
// guard is a top-level exception filter plus a jump back into run_guarded.
// The top-level filter is reached only by faults that no frame below has
// handled, which is what a frame-based handler at this level would see too.
#include <csetjmp>

#include "saver_host.h"

static jmp_buf guard_return;
static LPTOP_LEVEL_EXCEPTION_FILTER outer_filter;

LONG saver_exception_filter(EXCEPTION_POINTERS* exception) {
  return UnhandledExceptionFilter(exception);
}

static LONG WINAPI guard_filter(EXCEPTION_POINTERS* exception) {
  // Step aside first, so that the verdict comes from the platform's own chain
  // (filters installed before ours, a debugger) and not from us again.
  SetUnhandledExceptionFilter(outer_filter);
  LONG verdict = saver_exception_filter(exception);
  if (verdict == EXCEPTION_EXECUTE_HANDLER) longjmp(guard_return, 1);
  if (verdict == EXCEPTION_CONTINUE_EXECUTION) SetUnhandledExceptionFilter(guard_filter);
  return verdict;
}

int run_guarded(int (*body)(const char*), const char* tail) {
  outer_filter = SetUnhandledExceptionFilter(guard_filter);
  if (setjmp(guard_return)) {
    set_saver_running(0);
    return -1;
  }
  int code = body(tail);
  SetUnhandledExceptionFilter(outer_filter);
  return code;
}
