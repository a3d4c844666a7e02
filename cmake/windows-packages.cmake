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

set(package_files ${CMAKE_CURRENT_BINARY_DIR}/${zip_name})
if(QUORREL_MAKENSIS)
    add_custom_command(
        OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${setup_name}
        COMMAND ${QUORREL_MAKENSIS} -V2 -NOCD -DVERSION=${PROJECT_VERSION}
                -DEXE=$<TARGET_FILE:quorrel> -DICON=${QUORREL_ICO}
                -DOUTFILE=${CMAKE_CURRENT_BINARY_DIR}/${setup_name} ${packaging_dir}/quorrel.nsi
        DEPENDS quorrel ${packaging_dir}/quorrel.nsi ${QUORREL_ICO}
        COMMENT "Making ${setup_name}"
        VERBATIM)
    list(APPEND package_files ${CMAKE_CURRENT_BINARY_DIR}/${setup_name})
else()
    message(WARNING "makensis (Debian's nsis) not found: windows_packages makes the zip only")
endif()

add_custom_target(windows_packages DEPENDS ${package_files})
