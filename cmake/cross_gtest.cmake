# GoogleTest compiled from source with the cross compiler, once per build.
include_guard(GLOBAL)

set(ORVANE_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH
    "GoogleTest sources to cross-compile")
if(NOT EXISTS ${ORVANE_GTEST_SOURCE_DIR}/src/gtest-all.cc)
  message(FATAL_ERROR "No GoogleTest sources in ${ORVANE_GTEST_SOURCE_DIR}")
endif()

add_library(cross_gtest STATIC
  ${ORVANE_GTEST_SOURCE_DIR}/src/gtest-all.cc
  ${ORVANE_GTEST_SOURCE_DIR}/src/gtest_main.cc)
target_include_directories(cross_gtest SYSTEM PUBLIC ${ORVANE_GTEST_SOURCE_DIR}/include)
target_include_directories(cross_gtest PRIVATE ${ORVANE_GTEST_SOURCE_DIR})
target_compile_options(cross_gtest PRIVATE -w)
# The win32 thread model has no std::mutex: GoogleTest gets its one
# synchronisation object from us.
target_compile_definitions(cross_gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(cross_gtest PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/gtest_notification.h)
