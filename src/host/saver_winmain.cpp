// The runtime's start-up ends here; everything else is saver_entry's.
#include "saver_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { saver_entry(); }
