// The viewer's keys and pointer, handed to the developer commands.
#pragma once

// GLUT callbacks. A button press starts a drag at the pointer: left turns the
// cloud, middle pans, right zooms; motion while it is down drags; the release
// ends it. Quitting leaves the GLUT main loop, the viewer's normal way out.
void viewer_key(unsigned char key, int x, int y);
void viewer_mouse(int button, int state, int x, int y);
void viewer_motion(int x, int y);

// Registers the three callbacks on the current window and routes the quit keys.
void install_viewer_input();

// The capture keys (b, g) wait for the next frame: the display callback runs
// them after drawing and before the swap, while the back buffer holds the
// picture. (Reading the front buffer between frames is not dependable.)
void run_pending_captures();
