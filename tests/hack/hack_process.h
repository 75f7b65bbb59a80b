// The hack as a child process: started with chosen arguments and environment,
// its standard output and error kept in one file, its end awaited with a deadline.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "wait_until.h"

class hack_process {
 public:
  // env: extra NAME=VALUE pairs; a pair with an empty value removes the name.
  hack_process(const std::vector<std::string>& args,
               const std::vector<std::pair<std::string, std::string>>& env,
               const std::string& stderr_path);
  ~hack_process();  // kills a child still running
  pid_t pid() const { return pid_; }
  bool running();
  // Waits up to `ms` for the end; true with the exit code when it exited by
  // itself, false when it is still running or was killed by a signal.
  bool wait_exit(int ms, int* code);
  // Waits up to `ms` for the end; true with the signal when a signal killed it.
  bool wait_killed(int ms, int* signal);
  double seconds_to_exit() const { return exit_seconds_; }

 private:
  bool wait_end(int ms);
  pid_t pid_ = -1;
  int status_ = 0;
  bool reaped_ = false;
  double exit_seconds_ = -1;
};
