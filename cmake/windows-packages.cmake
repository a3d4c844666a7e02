# The two files a Windows player downloads: the portable zip (quorrel.exe and README.txt) and the
# setup program made with NSIS (packaging/windows/quorrel.nsi). Target windows_packages.
find_program(QUORREL_MAKENSIS makensis)

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging/windows)
set(zip_name quorrel-${PROJECT_VERSION}-windows-x64.zip)
set(setup_name quorrel-${PROJECT_VERSION}-setup.exe)
set(zip_folder ${CMAKE_CURRENT_BINARY_DIR}/zip)

# Notepad and every other Windows editor read CR LF.
configure_file(${packaging_dir}/README.txt.in ${zip_folder}/README.txt @ONLY NEWLINE_STYLE CRLF)

add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${zip_name}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quorrel> ${zip_folder}/quorrel.exe
    COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_CURRENT_BINARY_DIR}/${zip_name}
    COMMAND ${CMAKE_COMMAND} -E chdir ${zip_folder}
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_CURRENT_BINARY_DIR}/${zip_name} --format=zip
            quorrel.exe README.txt
    DEPENDS quorrel ${zip_folder}/README.txt
    COMMENT "Making ${zip_name}"
    VERBATIM)

# The picture on the setup program's first and last pages, from the program's own: its icon over
# a piece of the background, its name from the splash below. NSIS takes a BMP of 164 x 314.
set(resources_dir ${PROJECT_SOURCE_DIR}/resources)
set(setup_picture ${CMAKE_CURRENT_BINARY_DIR}/quorrel-setup.bmp)
add_custom_command(
    OUTPUT ${setup_picture}
    COMMAND ${QUORREL_IMAGEMAGICK} ${resources_dir}/background.png -crop 164x314+700+400 +repage
            ${resources_dir}/icons/quorrel-128.png -geometry +18+48 -composite
            ( ${resources_dir}/splash.png -resize 156x ) -geometry +4+200 -composite
            -alpha off BMP3:${setup_picture}
    DEPENDS ${resources_dir}/background.png ${resources_dir}/icons/quorrel-128.png
            ${resources_dir}/splash.png
    COMMENT "Making quorrel-setup.bmp"
    VERBATIM)

# Without NSIS the setup program cannot be made: the target then fails, saying why, rather than
# leaving a zip alone for a later step to miss the setup program.
if(QUORREL_MAKENSIS)
    set(make_setup ${QUORREL_MAKENSIS} -V2 -NOCD -DVERSION=${PROJECT_VERSION}
        -DEXE=$<TARGET_FILE:quorrel> -DICON=${QUORREL_ICO} -DPICTURE=${setup_picture}
        -DOUTFILE=${CMAKE_CURRENT_BINARY_DIR}/${setup_name} ${packaging_dir}/quorrel.nsi)
else()
    message(STATUS "makensis (Debian's nsis) not found: windows_packages will fail, naming it")
    set(make_setup ${CMAKE_COMMAND} -E echo
        "makensis is missing: install NSIS (Debian's nsis) and configure again to make ${setup_name}"
        COMMAND ${CMAKE_COMMAND} -E false)
endif()
add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${setup_name}
    COMMAND ${make_setup}
    DEPENDS quorrel ${packaging_dir}/quorrel.nsi ${QUORREL_ICO} ${setup_picture}
    COMMENT "Making ${setup_name}"
    VERBATIM)

add_custom_target(windows_packages
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${zip_name} ${CMAKE_CURRENT_BINARY_DIR}/${setup_name})
