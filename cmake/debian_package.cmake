# The Debian package: CPack gathers every install() rule of the native build.
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so the programs look for their
# data where the package puts it.

set(ORVANE_MAINTAINER "The Orvane developers <developers@orvane.invalid>" CACHE STRING
    "Maintainer field of the Debian package")

# The changelog's newest entry must be this version.
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/debian/changelog" orvane_changelog_head LIMIT_COUNT 1)
if(NOT orvane_changelog_head MATCHES "^orvane \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog starts with \"${orvane_changelog_head}\", "
                      "not with an entry for ${PROJECT_VERSION}")
endif()

# Debian wants the licence as copyright and a compressed changelog beside it.
set(orvane_changelog "${CMAKE_BINARY_DIR}/packaging/changelog.gz")
add_custom_command(OUTPUT "${orvane_changelog}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/packaging"
  COMMAND gzip -9n -c "${PROJECT_SOURCE_DIR}/packaging/debian/changelog" > "${orvane_changelog}"
  DEPENDS "${PROJECT_SOURCE_DIR}/packaging/debian/changelog"
  COMMENT "Compressing the Debian changelog")
add_custom_target(orvane_changelog ALL DEPENDS "${orvane_changelog}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/debian/copyright" "${orvane_changelog}"
              "${PROJECT_SOURCE_DIR}/packaging/debian/README.Debian"
        DESTINATION share/doc/orvane)
# Tags lintian would report, each with the reason it does not apply.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides"
        DESTINATION share/lintian/overrides RENAME orvane)

execute_process(COMMAND dpkg --print-architecture
  OUTPUT_VARIABLE orvane_deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT orvane_deb_arch)
  set(orvane_deb_arch amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${ORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "glowing nebula screen saver for xscreensaver, and its viewer")
set(CPACK_PACKAGE_DESCRIPTION
    "A slow flight through a glowing nebula of 1024 additive sprites in front\n\
of its title picture, to a calm looping tune. This package holds the\n\
screen saver orvane for xscreensaver (run orvane-xscreensaver-setup once\n\
to add it to your list of display modes) and orvane-viewer, which shows\n\
the scene in a window, with their pictures and tune.")
# Stripped after staging, as Debian strips (CPack's own strip keeps sections
# that lintian flags).
set(CPACK_STRIP_FILES OFF)
set(CPACK_ORVANE_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/deb_strip.cmake")
set(CPACK_DEBIAN_FILE_NAME "orvane_${PROJECT_VERSION}_${orvane_deb_arch}.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${orvane_deb_arch}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xscreensaver-gl lets the daemon pick an OpenGL visual; either sound font
# package gives /usr/share/sounds/sf2/default-GM.sf2, the tune's default.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, xscreensaver-gl, timgm6mb-soundfont | sf2-soundfont-gm")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
