# The release packages: `cmake --build <build> --target packages` writes the Debian package
# and, with the Windows builds, one zip per Windows architecture into <build>/packages.
set(VRN07_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages)
set(VRN07_PACKAGE_MAINTAINER "VRN-07 Maintainers <vrn07@tesmora.example>"
    CACHE STRING "The Debian package's maintainer")

set(windows_folders "")
foreach(dll IN LISTS VRN07_WINDOWS_DLLS)
    get_filename_component(folder ${dll} DIRECTORY)
    list(APPEND windows_folders ${folder})
endforeach()

add_custom_target(packages
    COMMAND ${CMAKE_SOURCE_DIR}/tools/packaging/make-packages.sh ${CMAKE_BINARY_DIR}
            ${PROJECT_VERSION} ${VRN07_PACKAGE_DIR} ${VRN07_PACKAGE_MAINTAINER} ${windows_folders}
    COMMENT "Writing the release packages into ${VRN07_PACKAGE_DIR}"
    USES_TERMINAL
    VERBATIM)
add_dependencies(packages vrn07_vst vrn07_documents vrn07-render vrn07_man_page vrn07_lv2
    vrn07_lv2ui vrn07_vst3 vrn07_clap)
if(VRN07_WINDOWS_DLLS)
    add_dependencies(packages vrn07_windows-x86 vrn07_windows-x64)
endif()
