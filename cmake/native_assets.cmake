# The cross builds (Windows, web) take the generated pictures, tune and icon
# from a native build's data folder, since the generator must run on this
# machine. The presets name a native build tree, where they are made on first
# use, so that a fresh tree needs no native build by hand first.
set(ORVANE_ASSET_DIR "${ORVANE_DATA_BUILD_DIR}" CACHE PATH
    "Folder holding supernova.ppm, Orvane.ppm, music.mid and orvane.ico")
set(ORVANE_NATIVE_BUILD_DIR "" CACHE PATH
    "Native build tree that makes the assets when ORVANE_ASSET_DIR has none yet")
set(orvane_asset_check "${ORVANE_ASSET_DIR}/orvane.ico")
if(NOT EXISTS "${orvane_asset_check}" AND ORVANE_NATIVE_BUILD_DIR)
  message(STATUS "No assets in ${ORVANE_ASSET_DIR}: making them in ${ORVANE_NATIVE_BUILD_DIR}")
  # The cross compilers' detection leaves CC and CXX set for child processes.
  set(native_env ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX)
  if(NOT EXISTS "${ORVANE_NATIVE_BUILD_DIR}/CMakeCache.txt")
    execute_process(COMMAND ${native_env} ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}
                            --preset default -B ${ORVANE_NATIVE_BUILD_DIR})
  endif()
  execute_process(COMMAND ${native_env} ${CMAKE_COMMAND} --build ${ORVANE_NATIVE_BUILD_DIR}
                          --target orvane_assets)
endif()
if(NOT EXISTS "${orvane_asset_check}")
  message(FATAL_ERROR "No assets in ${ORVANE_ASSET_DIR}: build the native target orvane_assets "
                      "and pass its data folder as -DORVANE_ASSET_DIR=...")
endif()
