# orvane_man_page(SOURCE): installs a roff manual page compressed as Debian
# wants it (gzip -9n: no name or time stamp, so two builds give the same bytes).
# The section is taken from the file name, e.g. orvane-viewer.1 -> man1.
# @PROJECT_VERSION@ and @ORVANE_RELEASE_DATE@ in the page are filled in first,
# so every page carries the release it came with.
function(orvane_man_page source)
  get_filename_component(name "${source}" NAME)
  string(REGEX MATCH "[0-9]$" section "${name}")
  if(NOT section)
    message(FATAL_ERROR "orvane_man_page: ${name} does not end in its section number")
  endif()
  set(page "${CMAKE_CURRENT_BINARY_DIR}/man-source/${name}")
  configure_file("${source}" "${page}" @ONLY)
  set(compressed "${CMAKE_CURRENT_BINARY_DIR}/${name}.gz")
  add_custom_command(OUTPUT "${compressed}"
    COMMAND gzip -9n -c "${page}" > "${compressed}"
    DEPENDS "${page}"
    COMMENT "Compressing manual page ${name}")
  add_custom_target(man_${name} ALL DEPENDS "${compressed}")
  install(FILES "${compressed}" DESTINATION share/man/man${section})
endfunction()
