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

# Without NSIS the setup program cannot be made: the target then fails, saying why, rather than
# leaving a zip alone for a later step to miss the setup program.
if(QUORREL_MAKENSIS)
    set(make_setup ${QUORREL_MAKENSIS} -V2 -NOCD -DVERSION=${PROJECT_VERSION}
        -DEXE=$<TARGET_FILE:quorrel> -DICON=${QUORREL_ICO}
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
    DEPENDS quorrel ${packaging_dir}/quorrel.nsi ${QUORREL_ICO}
    COMMENT "Making ${setup_name}"
    VERBATIM)

add_custom_target(windows_packages
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${zip_name} ${CMAKE_CURRENT_BINARY_DIR}/${setup_name})
