#include "hack_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

hack_process::hack_process(const std::vector<std::string>& args,
                           const std::vector<std::pair<std::string, std::string>>& env,
                           const std::string& stderr_path) {
  pid_ = fork();
  if (pid_ != 0) return;
  for (const auto& [name, value] : env) {
    if (value.empty())
      unsetenv(name.c_str());
    else
      setenv(name.c_str(), value.c_str(), 1);
  }
  // Both streams in one file: a quiet hack leaves it empty.
  int err = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err < 0) _exit(126);
  dup2(err, 1);
  dup2(err, 2);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(ORVANE_HACK_PATH));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(ORVANE_HACK_PATH, argv.data());
  _exit(127);
}

hack_process::~hack_process() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
  }
}

bool hack_process::running() {
  if (reaped_) return false;
  if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

bool hack_process::wait_end(int ms) {
  const auto start = std::chrono::steady_clock::now();
  wait_until_true([&] { return !running(); }, ms);
  if (reaped_ && exit_seconds_ < 0)
    exit_seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return reaped_;
}

bool hack_process::wait_exit(int ms, int* code) {
  if (!wait_end(ms) || !WIFEXITED(status_)) return false;
  *code = WEXITSTATUS(status_);
  return true;
}

bool hack_process::wait_killed(int ms, int* signal) {
  if (!wait_end(ms) || !WIFSIGNALED(status_)) return false;
  *signal = WTERMSIG(status_);
  return true;
}
