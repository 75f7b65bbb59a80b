# The core's <GL/gl.h> and <GL/glu.h> in the web build: OpenGL's own headers,
# then every call the web layer wraps mapped onto the layer, from the one list
# in web_gl_calls.h. A folder the core alone has on its include path, so the
# layer itself still sees OpenGL's names as WebGL's.
set(web_gl_calls ${CMAKE_CURRENT_LIST_DIR}/web_gl_calls.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${web_gl_calls})
file(READ ${web_gl_calls} web_gl_text)
string(REGEX MATCHALL "\n *X\\([^,]+, *[A-Za-z0-9_]+, *[A-Za-z0-9_]+," web_gl_entries "${web_gl_text}")
set(web_gl_map "")
foreach(call IN LISTS web_gl_entries)
  string(REGEX REPLACE "^\n *X\\([^,]+, *([A-Za-z0-9_]+), *([A-Za-z0-9_]+),$" "#define \\1 \\2"
         define "${call}")
  string(APPEND web_gl_map "${define}\n")
endforeach()
set(web_gl_include_dir ${CMAKE_BINARY_DIR}/web-gl-include)
file(CONFIGURE OUTPUT ${web_gl_include_dir}/GL/gl.h CONTENT [[
// Made by src/web/web_gl_include.cmake from src/web/web_gl_calls.h.
#pragma once
#include_next <GL/gl.h>
#include_next <GL/glu.h>
#include "web_gl.h"
@web_gl_map@]] @ONLY)
file(CONFIGURE OUTPUT ${web_gl_include_dir}/GL/glu.h CONTENT [[
// Made by src/web/web_gl_include.cmake: GLU comes with the web build's <GL/gl.h>.
#pragma once
#include <GL/gl.h>
]] @ONLY)
