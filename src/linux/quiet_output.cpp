#include "quiet_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {
int real_stdout = -1;
}

void quiet_standard_output() {
  if (real_stdout >= 0) return;
  const int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null_fd < 0) return;
  fflush(stdout);
  real_stdout = fcntl(1, F_DUPFD_CLOEXEC, 3);
  if (real_stdout >= 0) dup2(null_fd, 1);
  close(null_fd);
}

void restore_standard_output() {
  if (real_stdout < 0) return;
  fflush(stdout);
  dup2(real_stdout, 1);
  close(real_stdout);
  real_stdout = -1;
}
