// Developer keyboard and pointer-drag commands, shaped as GLUT callbacks.
#pragma once

// Keys: Escape, q, Q quit; b saves the frame as BMP; g saves it as PPM with its
// histogram; f toggles full screen; p switches the frame-rate meter.
void dev_key_command(unsigned char key);

// One motion event of a drag: zooms, pans or turns the cloud, depending on
// scene_state.drag_zoom / drag_pan, then records (x, y) as the last position.
void dev_pointer_drag(int x, int y);

// How the quit keys end the program. Null (the default) means exit(0), so
// static destructors still run; a viewer may route it to its own exit path.
extern void (*dev_quit_hook)();
