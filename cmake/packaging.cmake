# The installed layout and the Debian package (CPack's DEB generator). One
# set of install rules serves `cmake --install` into any prefix and the
# package, which installs into /usr:
#
#   bin/elka                      launcher: runs the demo in its data folder
#   bin/elka-capture              the capture tool (finds the data folder itself)
#   libexec/elka/elka             the demo, which reads files/... where it runs
#   share/elka/files/             the media
#   share/applications/ID.desktop, share/metainfo/ID.metainfo.xml
#   share/icons/hicolor/NxN/apps/elka.png
#   share/man/man1/elka.1.gz, elka-capture.1.gz
#   share/doc/elka/copyright, changelog.gz, font-ORIGIN.txt
#
# Included from the root list after the targets are defined.
include(GNUInstallDirs)

# The project's public identity. Placeholders until the project has a home
# on the web: the AppStream ID is the reverse of the homepage's host name,
# and the metainfo's screenshot must be published at ELKA_SCREENSHOT_URL
# (the build makes it: target elka_screenshot).
set(ELKA_HOMEPAGE "https://elka.example.org" CACHE STRING "The project's homepage")
set(ELKA_APP_ID "org.example.elka" CACHE STRING
    "AppStream component ID and desktop entry name: the reverse of the homepage's host name")
set(ELKA_MAINTAINER "eLka maintainers <maintainers@users.noreply.c-seed-bd25fd46.example>" CACHE STRING
    "The package's maintainer")
set(ELKA_SCREENSHOT_URL "${ELKA_HOMEPAGE}/screenshots/tunnel.png" CACHE STRING
    "Where the metainfo's screenshot (the build's screenshots/tunnel.png) is published")
# The release: the version is the project's; the date is the first entry's
# of packaging/changelog (a test checks that the two agree).
set(ELKA_RELEASE_DATE "2026-12-07")
set(ELKA_SCREENSHOT_WIDTH 800)
set(ELKA_SCREENSHOT_HEIGHT 600)
set(ELKA_SCREENSHOT_SECONDS 58) # the tunnel

set(ELKA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/elka)
set(ELKA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/elka)
file(RELATIVE_PATH ELKA_BIN_TO_DATA /${CMAKE_INSTALL_BINDIR} /${ELKA_DATA_DIR})
file(RELATIVE_PATH ELKA_BIN_TO_PROGRAM /${CMAKE_INSTALL_BINDIR} /${ELKA_PROGRAM_DIR}/elka)
set(ELKA_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

# The capture finds the installed media beside itself.
target_compile_definitions(elka-capture PRIVATE ELKA_DATA_FROM_BIN="${ELKA_BIN_TO_DATA}")
# Debian's hardening for what goes into the programs: their relocations
# read-only and bound at start-up, and the C library's checked variants of
# the string and memory functions (_FORTIFY_SOURCE, which needs the
# optimizer, so not in a Debug build, and is left to the sanitizers in a
# sanitizer build) in every library and program of the demo and the capture.
foreach(program elka elka-capture)
  target_link_options(${program} PRIVATE -Wl,-z,relro -Wl,-z,now)
endforeach()
if(NOT ELKA_SANITIZE)
  get_property(root_targets DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${root_targets} elka-capture)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "EXECUTABLE")
      target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    endif()
  endforeach()
endif()

# ---------------------------------------------------------------- programs, media

install(TARGETS elka RUNTIME DESTINATION ${ELKA_PROGRAM_DIR})
install(TARGETS elka-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/elka.in ${ELKA_PACKAGING_DIR}/elka @ONLY)
install(PROGRAMS ${ELKA_PACKAGING_DIR}/elka DESTINATION ${CMAKE_INSTALL_BINDIR})
# The font's licence and origin go with the documentation (the licence in
# the copyright file), not among the media.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/files/ DESTINATION ${ELKA_DATA_DIR}/files
  PATTERN "font-*.txt" EXCLUDE)

# ---------------------------------------------------------------- desktop

configure_file(${CMAKE_SOURCE_DIR}/packaging/elka.desktop.in ${ELKA_PACKAGING_DIR}/${ELKA_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/elka.metainfo.xml.in
  ${ELKA_PACKAGING_DIR}/${ELKA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${ELKA_PACKAGING_DIR}/${ELKA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ELKA_PACKAGING_DIR}/${ELKA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${ELKA_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/elka.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The screenshot the metainfo names, drawn by the capture (not part of the
# package: AppStream takes screenshots from the web).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/screenshots/tunnel.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/screenshots
  COMMAND elka-capture --quiet --fps 2 --size ${ELKA_SCREENSHOT_WIDTH}x${ELKA_SCREENSHOT_HEIGHT}
          --end ${ELKA_SCREENSHOT_SECONDS}.5 --still ${ELKA_SCREENSHOT_SECONDS}=${CMAKE_BINARY_DIR}/screenshots/tunnel.png
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  DEPENDS elka-capture
  COMMENT "Drawing the metainfo's screenshot with elka-capture")
add_custom_target(elka_screenshot DEPENDS ${CMAKE_BINARY_DIR}/screenshots/tunnel.png)

# ---------------------------------------------------------------- documentation

# Manual pages: scdoc sources in docs/man, turned into roff and compressed
# as Debian keeps them. The pages carry the release date, not the build's.
find_program(ELKA_SCDOC scdoc)
find_program(ELKA_GZIP gzip)
execute_process(COMMAND date -u -d "${ELKA_RELEASE_DATE} 12:00:00" +%s
  OUTPUT_VARIABLE ELKA_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE)
set(ELKA_MAN_PAGES elka.1 elka-capture.1)
if(ELKA_SCDOC AND ELKA_GZIP)
  set(outputs)
  foreach(page ${ELKA_MAN_PAGES})
    set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.scd)
    set(roff ${CMAKE_BINARY_DIR}/man/${page})
    add_custom_command(OUTPUT ${roff} ${roff}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${ELKA_RELEASE_EPOCH}
              sh -c [["$0" < "$1" > "$2"]] ${ELKA_SCDOC} ${source} ${roff}
      COMMAND sh -c [["$0" -9nc "$1" > "$1.gz"]] ${ELKA_GZIP} ${roff}
      DEPENDS ${source}
      COMMENT "Manual page ${page}"
      VERBATIM)
    list(APPEND outputs ${roff}.gz)
    install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(elka_man_pages ALL DEPENDS ${outputs})
else()
  message(STATUS "scdoc or gzip not found: no manual pages (Debian package scdoc); the package needs them")
endif()

add_custom_command(OUTPUT ${ELKA_PACKAGING_DIR}/changelog.gz
  COMMAND sh -c [["$0" -9nc "$1" > "$2"]] ${ELKA_GZIP} ${CMAKE_SOURCE_DIR}/packaging/changelog
          ${ELKA_PACKAGING_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(elka_changelog ALL DEPENDS ${ELKA_PACKAGING_DIR}/changelog.gz)
set(ELKA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/elka)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_SOURCE_DIR}/files/font-ORIGIN.txt
  ${ELKA_PACKAGING_DIR}/changelog.gz DESTINATION ${ELKA_DOC_DIR})

# ---------------------------------------------------------------- the package

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME elka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the eLka developers")
set(CPACK_PACKAGE_CONTACT ${ELKA_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped as Debian's dh_strip strips (symbols, .comment and .note
# sections), in the staging folder before it is packed.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/strip.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time OpenGL demo with its own song")
set(CPACK_PACKAGE_DESCRIPTION "eLka is a demo: a fixed sequence of real-time 3D scenes that plays by
itself, in time with its own song, for about two and a half minutes: a
textured tunnel, a field of triangles, a star field, a spinning swarm and
rising credits, drawn with OpenGL. Escape ends it; F1 switches between
fullscreen and a window.

The package also brings elka-capture, which draws the demo frame by frame
without a display or a sound device, into a video with chapters (with
ffmpeg), pictures or a contact sheet, or times it as a timedemo.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ELKA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(NOT ELKA_HOMEPAGE MATCHES "example\\.org")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ELKA_HOMEPAGE})
endif()
# The libraries the programs link come from dpkg-shlibdeps; what SDL and
# libglvnd open at run time (Mesa's EGL and drivers for the offscreen
# context) and a monospaced face for the contact sheet are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libgl1, libegl1, libegl-mesa0, libgl1-mesa-dri, fonts-dejavu-core | fonts-liberation2 | fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build[^/]*/" "/out/")
include(CPack)
