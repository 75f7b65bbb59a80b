#include "saver_host.h"

void gl_context_create(HWND window, HDC& device_context, HGLRC& render_context) {
  PIXELFORMATDESCRIPTOR format = {};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 32;
  format.cDepthBits = 32;
  format.iLayerType = PFD_MAIN_PLANE;

  // The class owns its device context (CS_OWNDC), so this one stays valid for
  // the window's whole life.
  device_context = GetDC(window);
  int chosen = ChoosePixelFormat(device_context, &format);
  SetPixelFormat(device_context, chosen, &format);
  render_context = wglCreateContext(device_context);
  wglMakeCurrent(device_context, render_context);
}

void gl_context_destroy(HWND window, HDC device_context, HGLRC render_context) {
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(render_context);
  ReleaseDC(window, device_context);
}
