# Run by CPack once the package's files are staged (CPACK_PRE_BUILD_SCRIPTS):
# strips every ELF file as Debian's own packaging does, symbols and the
# .comment and .note sections that nothing at run time reads.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${CPACK_ORVANE_STRIP}" --remove-section=.comment --remove-section=.note
                            --strip-unneeded "${file}"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "strip failed on ${file}")
    endif()
  endif()
endforeach()
