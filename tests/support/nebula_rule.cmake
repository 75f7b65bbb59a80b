# nebula_rule(TARGET): hands the "nebula on the screen" rule of
# nebula_rule.env to a C++ test as NEBULA_* definitions (boxes as
# comma-separated percentages), read through nebula_rule.h, and to what
# links TARGET.
function(nebula_rule target)
  set(env "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/nebula_rule.env")
  # A changed rule reconfigures, so the tests never keep the old numbers.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${env}")
  file(STRINGS "${env}" lines REGEX "^NEBULA_")
  foreach(line IN LISTS lines)
    if(line MATCHES "^(NEBULA_[A-Z_]+)=\"?([^\"#]*[^\" #])\"?")
      string(REPLACE " " "," value "${CMAKE_MATCH_2}")
      target_compile_definitions(${target} PUBLIC "${CMAKE_MATCH_1}=${value}")
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
endfunction()
