# The Debian changelog, the one place besides CMakeLists.txt that must name the version. The
# package is native: its version is the program's, with no Debian revision.
file(STRINGS "${SOURCE}/debian/changelog" top LIMIT_COUNT 1)
if(NOT top MATCHES "^quorvel \\(([^)]+)\\)")
    message(FATAL_ERROR "debian/changelog: cannot read the version from '${top}'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "debian/changelog is at ${CMAKE_MATCH_1}, CMakeLists.txt at ${VERSION}")
endif()
