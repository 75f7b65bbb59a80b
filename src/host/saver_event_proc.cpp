// The scene's own window procedure: context, frame timer, the tune, and the
// projection that follows the client size.
// clang-format off
#include <windows.h>
#include <vfw.h>  // needs the types of windows.h first
// clang-format on

#include <cstdlib>
#include <ctime>

#include "main.h"
#include "saver_host.h"

constexpr UINT_PTR frame_timer = 0x7FFF;
constexpr UINT frame_period_ms = 1;
// A missing or unplayable tune must not stop the saver behind an error box:
// the scene simply runs without music.
constexpr DWORD media_style = WS_CHILD | MCIWNDF_NOMENU | MCIWNDF_NOPLAYBAR | MCIWNDF_NOERRORDLG;

static HWND media_window() { return static_cast<HWND>(scene_state.media_window); }

static void read_client_size(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  scene_state.client_width = client.right - client.left;
  scene_state.client_height = client.bottom - client.top;
}

static void on_create(HWND window, const CREATESTRUCTA* creation) {
  HDC device_context;
  HGLRC render_context;
  gl_context_create(window, device_context, render_context);
  scene_state.device_context = device_context;
  scene_state.render_context = render_context;

  read_client_size(window);
  srand(static_cast<unsigned>(time(nullptr)));
  scene_init();

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // A window without height (a collapsed preview) has no aspect; it keeps the
  // identity until it gets a size.
  if (scene_state.client_height > 0) {
    double right = scene_state.client_width * 5.0 / scene_state.client_height;
    double left = scene_state.client_width * -5.0 / scene_state.client_height;
    glOrtho(left, right, -5.0, 5.0, -5.0, 5.0);
  }
  glMatrixMode(GL_MODELVIEW);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glViewport(0, 0, scene_state.client_width, scene_state.client_height);

  SetTimer(window, frame_timer, frame_period_ms, nullptr);

  HWND media = MCIWndCreateA(window, creation->hInstance, media_style, nullptr);
  scene_state.media_window = media;
  SendMessageA(media, MCIWNDM_OPENA, 0, reinterpret_cast<LPARAM>(asset_path("music.mid")));
  SendMessageA(media, MCI_PLAY, 0, 0);
  scene_state.media_end = static_cast<int>(SendMessageA(media, MCIWNDM_GETEND, 0, 0));
}

static void on_timer() {
  fps_tick();
  scene_draw();
  SwapBuffers(static_cast<HDC>(scene_state.device_context));

  // The whole music loop: a play request at the end starts the tune over.
  scene_state.media_position =
      static_cast<int>(SendMessageA(media_window(), MCIWNDM_GETPOSITIONA, 0, 0));
  if (scene_state.media_position >= scene_state.media_end)
    SendMessageA(media_window(), MCI_PLAY, 0, 0);
}

static void on_destroy(HWND window) {
  KillTimer(window, frame_timer);
  SendMessageA(media_window(), MCI_CLOSE, 0, 0);
  SendMessageA(media_window(), WM_CLOSE, 0, 0);
  gl_context_destroy(window, static_cast<HDC>(scene_state.device_context),
                     static_cast<HGLRC>(scene_state.render_context));
  PostQuitMessage(0);
}

LRESULT CALLBACK saver_event_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      on_create(window, reinterpret_cast<const CREATESTRUCTA*>(lparam));
      break;

    case WM_DESTROY:
      on_destroy(window);
      return 0;

    case WM_ERASEBKGND:
      read_client_size(window);
      if (scene_state.client_height > 0)
        scene_reshape(scene_state.client_width, scene_state.client_height);
      return 1;

    case WM_TIMER:
      on_timer();
      break;
  }
  return default_saver_proc(window, message, wparam, lparam);
}
