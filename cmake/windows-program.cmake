# What makes quorrel.exe a Windows program of its own: one file (the compiler's runtime and Qt
# linked in), the icon, the manifest and the version resource.
find_program(QUORREL_IMAGEMAGICK NAMES convert magick REQUIRED)

set(windows_dir ${PROJECT_SOURCE_DIR}/resources/windows)
set(QUORREL_ICO ${CMAKE_CURRENT_BINARY_DIR}/quorrel.ico)
set(QUORREL_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/quorrel.manifest)

# The icon file is made from the same pictures as the Linux icons: 16 pixels (for title bars and
# the notification area) drawn down from 32, then 32, 48, 128 and 256 as they are.
set(icon_dir ${PROJECT_SOURCE_DIR}/resources/icons)
add_custom_command(
    OUTPUT ${QUORREL_ICO}
    COMMAND ${QUORREL_IMAGEMAGICK} ${icon_dir}/quorrel-256.png ${icon_dir}/quorrel-128.png
            ${icon_dir}/quorrel-48.png ${icon_dir}/quorrel-32.png
            ( ${icon_dir}/quorrel-32.png -resize 16x16 ) ${QUORREL_ICO}
    DEPENDS ${icon_dir}/quorrel-256.png ${icon_dir}/quorrel-128.png ${icon_dir}/quorrel-48.png
            ${icon_dir}/quorrel-32.png
    COMMENT "Making quorrel.ico"
    VERBATIM)

configure_file(${windows_dir}/quorrel.manifest.in ${QUORREL_MANIFEST} @ONLY)
configure_file(${windows_dir}/quorrel.rc.in ${CMAKE_CURRENT_BINARY_DIR}/quorrel.rc @ONLY)
target_sources(quorrel PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/quorrel.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/quorrel.rc PROPERTIES
    OBJECT_DEPENDS "${QUORREL_ICO};${QUORREL_MANIFEST}")

# Of Qt's plugins only what the program uses: the Windows platform, the native style and the GIF
# reader (the About picture). Not the other platforms, the touch input or the TLS backends.
qt_import_plugins(quorrel
    INCLUDE_BY_TYPE platforms Qt6::QWindowsIntegrationPlugin
    INCLUDE_BY_TYPE imageformats Qt6::QGifPlugin
    INCLUDE_BY_TYPE styles Qt6::QWindowsVistaStylePlugin
    EXCLUDE_BY_TYPE generic
    EXCLUDE_BY_TYPE tls)

# One file, with nothing of the compiler's beside it; a Release build carries no symbols.
target_link_options(quorrel PRIVATE -static -static-libgcc -static-libstdc++
                    $<$<CONFIG:Release,MinSizeRel>:-s>)

include(${CMAKE_CURRENT_LIST_DIR}/windows-packages.cmake)
