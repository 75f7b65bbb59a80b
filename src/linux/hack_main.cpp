// orvane: the nebula as an xscreensaver hack.
#include <unistd.h>

#include <cstdio>

#include "glx_host.h"
#include "hack_options.h"
#include "orvane_version.h"

int main(int argc, char** argv) {
  hack_options options;
  std::string error;
  if (!parse_hack_options(argc, argv, &options, &error)) {
    fprintf(stderr, "orvane: %s\n%s", error.c_str(), hack_usage());
    return 2;
  }
  if (options.help) {
    fputs(hack_usage(), stdout);
    return 0;
  }
  if (options.version) {
    printf("orvane %s\n", ORVANE_VERSION);
    return 0;
  }
  const int code = run_hack(options);
  // The saver ends without running static destructors, as on Windows; a
  // player still waiting on the sound system must not hold up the exit.
  fflush(stdout);
  fflush(stderr);
  _exit(code);
}
