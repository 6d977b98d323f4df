# Installs the build into a scratch prefix and checks that everything lands in its place.
set(prefix "${BUILD}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
foreach(path bin/quorvel share/applications/io.quorvel.Quorvel.desktop
        share/metainfo/io.quorvel.Quorvel.metainfo.xml share/icons/hicolor/16x16/apps/quorvel.png
        share/icons/hicolor/48x48/apps/quorvel.png share/icons/hicolor/256x256/apps/quorvel.png)
    if(NOT EXISTS "${prefix}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(REMOVE_RECURSE "${prefix}")
