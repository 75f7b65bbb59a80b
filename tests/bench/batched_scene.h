// The nebula frame drawn the way a vertex-array renderer would: the same
// backdrop, sprites, textures, blending and matrices as scene_draw, but the
// 1024 sprites go out in one glDrawArrays call. It exists only to show what
// the immediate-mode frame costs.
#pragma once

// Builds the sprite vertices from scene_state's star field (once).
void batched_scene_init();

// One frame; like scene_draw it steps cloud_pitch.
void batched_scene_draw();
