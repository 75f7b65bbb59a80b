# What both Windows cross builds share; the toolchain files set
# CMAKE_SYSTEM_PROCESSOR and ORVANE_MINGW_TRIPLE, then include this.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${ORVANE_MINGW_TRIPLE}-gcc-win32 ${ORVANE_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ORVANE_MINGW_TRIPLE}-g++-win32 ${ORVANE_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORVANE_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything we ship links the C and C++ runtimes in, so only the system's
# own DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Cross-built programs run under wine, through its loader itself: Debian's
# launcher script wants a 32-bit half even for 64-bit programs. The 32-bit
# loader is named even where it is missing, so that the failure says what is.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(ORVANE_WINE_LOADER NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(ORVANE_WINE_LOADER NAMES wine64 wine)
else()
  find_program(ORVANE_WINE_LOADER NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(NOT ORVANE_WINE_LOADER)
    set(ORVANE_WINE_LOADER /usr/lib/wine/wine CACHE FILEPATH "wine's 32-bit loader" FORCE)
  endif()
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVANE_WINE_LOADER})
