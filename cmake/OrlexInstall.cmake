# What `cmake --install` puts where, and the Debian package (`cpack -G DEB`) built from it.
include(CMakePackageConfigHelpers)

set(ORLEX_PYTHON_DIR "lib/python3/dist-packages" CACHE STRING
    "Where the Python Feed module goes, relative to the install prefix")
set(ORLEX_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/OrlexFeed")

# ---- the Feed client library: headers, CMake package, pkg-config, Python module ----
install(TARGETS orlex_feed EXPORT OrlexFeedTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT feed
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT feed)
install(FILES ${PROJECT_SOURCE_DIR}/platform/include/orlex_feed.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orlexfeed COMPONENT feed)
install(FILES ${PROJECT_SOURCE_DIR}/platform/FeedClient.h
              ${PROJECT_SOURCE_DIR}/platform/FeedFrame.h
              ${PROJECT_SOURCE_DIR}/platform/FeedPath.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orlexfeed/platform COMPONENT feed)
install(EXPORT OrlexFeedTargets NAMESPACE OrlexFeed:: DESTINATION ${ORLEX_CMAKE_DIR} COMPONENT feed)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrlexFeedConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/OrlexFeedConfig.cmake
                              INSTALL_DESTINATION ${ORLEX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrlexFeedConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrlexFeedConfig.cmake ${PROJECT_BINARY_DIR}/OrlexFeedConfigVersion.cmake
        DESTINATION ${ORLEX_CMAKE_DIR} COMPONENT feed)
# pkg-config: the prefix is computed from the .pc file's own place, so an installed tree can move.
file(RELATIVE_PATH ORLEX_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${PROJECT_SOURCE_DIR}/cmake/orlexfeed.pc.in ${PROJECT_BINARY_DIR}/orlexfeed.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orlexfeed.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT feed)
install(FILES ${PROJECT_SOURCE_DIR}/platform/python/orlexfeed.py DESTINATION ${ORLEX_PYTHON_DIR} COMPONENT feed)
install(FILES ${PROJECT_SOURCE_DIR}/docs/FeedProtocol.md ${PROJECT_SOURCE_DIR}/docs/FeedSocket.md ${PROJECT_SOURCE_DIR}/docs/Recording.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT feed)
install(FILES ${PROJECT_SOURCE_DIR}/docs/examples/feed_example.c ${PROJECT_SOURCE_DIR}/docs/examples/feed_example.py
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT feed)

if(TARGET orlex-feed)
  install(TARGETS orlex-feed RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT feed)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/man/orlex-feed.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT feed)
endif()

if(NOT TARGET orlexgauges)
  return()
endif()

# ---- the display and its desktop integration ----
install(TARGETS orlexgauges RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT display)
install(FILES ${PROJECT_SOURCE_DIR}/app/orlexgauges.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT display)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT display)
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/orlexgauges.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT display)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/DeliberateChoices.md
              ${PROJECT_SOURCE_DIR}/docs/screenshot.png
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT display)

# ---- the Debian package: `cpack -G DEB` in the build directory ----
set(CPACK_PACKAGE_NAME orlexgauges)
set(CPACK_PACKAGE_VENDOR "Orlex Gauges")
set(CPACK_PACKAGE_CONTACT "Orlex Gauges developers <orlexgauges@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Shows the parameters that a local Feed program sends over a Unix socket in a grid and in\n"
       "floating gauges that colour against a threshold. Includes the orlex-feed command-line Feed, the\n"
       "Feed client library (C and C++, with CMake and pkg-config files) and a Python Feed module.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps must find the package's own library in the staging tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}/platform")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-dejavu-core, python3")
set(CPACK_STRIP_FILES ON)
# Packaging and installing take what has been built; building everything (tests included) first is
# the build's business.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
