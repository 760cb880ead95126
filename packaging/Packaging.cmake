# The Debian package: `cpack -G DEB` in the build folder makes trelvanic_<version>_<arch>.deb of everything the
# install rules lay out under /usr; its run-time dependencies come from the shared libraries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trelvanic)
set(CPACK_PACKAGE_VENDOR Zembrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zembrel <${TRELVANIC_SUPPORT_MAIL}>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the libraries do not name them: the media back end of the preview player and Qt's own
# translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5multimedia5-plugins, gstreamer1.0-plugins-base")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio, qttranslations5-l10n")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "batch converter of audio and video sound tracks to M4A
Trelvanic converts audio files, and the sound tracks of video files, into
M4A files (AAC audio in an MPEG-4 container) in batches. Drop files and
folders onto its window, preview any of them and press Convert: the level
is normalized, the sound faded and trimmed as set, the tags are copied, and
every run goes into a new folder named by its date and time.")

# What Debian expects beside the program: the copyright file and a compressed changelog.
set(package_doc_dir share/doc/${CPACK_PACKAGE_NAME})
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${CMAKE_BINARY_DIR}/packaging/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -f -k ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(trelvanic_package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${package_doc_dir})

include(CPack)
