# Fails when the core, as compiled for the page, calls an OpenGL or GLU
# function that the web layer does not wrap: WebGL would get the call without
# the layer's state behind it (an unflushed batch, the texture WebGL last
# bound rather than the core's), or the page would not link at all.
#   cmake -DNM=emnm -DFILES="a.a;b.o" -P unwrapped_gl_calls.cmake
cmake_minimum_required(VERSION 3.20)
# Calls that touch nothing the layer keeps, and so go to WebGL as they are:
set(allowed
  glClearColor   # read by glClear alone, which the layer flushes before
  glGenTextures  # names only; the layer keeps its textures by them
  glPixelStorei  # read by glTexImage2D alone, which the layer flushes before
)
execute_process(COMMAND ${NM} --undefined-only --just-symbol-name ${FILES}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not read the core's objects")
endif()
string(REGEX MATCHALL "(^|\n)glu?[A-Z][A-Za-z0-9_]*" calls "${symbols}")
set(unwrapped)
foreach(call IN LISTS calls)
  string(STRIP "${call}" call)
  if(NOT call IN_LIST allowed)
    list(APPEND unwrapped ${call})
  endif()
endforeach()
list(REMOVE_DUPLICATES unwrapped)
if(unwrapped)
  message(FATAL_ERROR "The core calls OpenGL past the web layer: ${unwrapped}. "
                      "Wrap them in src/web/web_gl_calls.h.")
endif()
