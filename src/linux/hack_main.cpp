// orvane: the nebula as an xscreensaver hack.
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "glx_host.h"
#include "hack_options.h"
#include "orvane_version.h"
#include "quiet_output.h"

namespace {

// The scene's texture objects print as they are constructed, before main:
// this runs ahead of every unprioritised static constructor (glibc hands
// ELF constructors the command line), so without --verbose those lines
// already go nowhere.
__attribute__((constructor(101))) void quiet_from_the_start(int argc, char** argv, char**) {
  hack_options options;
  std::string ignored;
  parse_hack_options(argc, argv, &options, &ignored);
  if (!options.verbose) quiet_standard_output();
}

// Ends as the Windows saver does, without static destructors: the scene's
// texture objects would print as they go.
[[noreturn]] void finish(int code) {
  fflush(stdout);
  fflush(stderr);
  _exit(code);
}

}  // namespace

int main(int argc, char** argv) {
  hack_options options;
  std::string error;
  if (!parse_hack_options(argc, argv, &options, &error)) {
    fprintf(stderr, "orvane: %s\n%s", error.c_str(), hack_usage());
    finish(2);
  }
  if (options.help || options.version) {
    restore_standard_output();
    if (options.help)
      fputs(hack_usage(), stdout);
    else
      printf("orvane %s\n", ORVANE_VERSION);
    finish(0);
  }
  const int code = run_hack(options);
  // A player still waiting on the sound system must not hold up the end.
  fflush(stdout);
  fflush(stderr);
  // Stopped by a signal, it dies of that signal, as xscreensaver expects of
  // the hacks it stops.
  if (const int sig = hack_stop_signal()) {
    signal(sig, SIG_DFL);
    raise(sig);
  }
  finish(code);
}
