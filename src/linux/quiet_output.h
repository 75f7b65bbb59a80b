// The scene's shared code prints its debug and progress lines (driver report,
// texture sizes, the settings file it looked for) on standard output, as the
// Windows saver must. A hack under xscreensaver has its output in the
// daemon's log, so the Linux saver sends those lines nowhere unless asked.
#pragma once

// Points standard output at /dev/null, keeping the real one aside. Runs
// before the scene's static objects print their first lines.
void quiet_standard_output();
// Gives standard output back (for --verbose, --help and --version); what the
// shared code printed meanwhile is dropped.
void restore_standard_output();
