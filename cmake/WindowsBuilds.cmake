# Cross-builds the Windows plug-in for x86 and x64 as part of the main build.
include(ExternalProject)

set(VRN07_WINDOWS_DLLS "")
set(VRN07_WINDOWS_VST3_MODULES "")
foreach(arch IN ITEMS i686 x86_64)
    if(arch STREQUAL "i686")
        set(platform windows-x86)
    else()
        set(platform windows-x64)
    endif()
    ExternalProject_Add(vrn07_${platform}
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/${platform}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw-${arch}.cmake
            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            -DVRN07_PLUGIN_ONLY=ON
            -DVRN07_WERROR=${VRN07_WERROR}
            -DVRN07_OUTPUT_DIR=${CMAKE_BINARY_DIR}/bin/${platform}
            -DVRN07_VST3_BUNDLE=${CMAKE_BINARY_DIR}/vst3/VRN-07.vst3
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        USES_TERMINAL_BUILD ON)
    list(APPEND VRN07_WINDOWS_DLLS ${CMAKE_BINARY_DIR}/bin/${platform}/VRN-07.dll)
    if(arch STREQUAL "i686")
        set(vst3_arch x86-win)
    else()
        set(vst3_arch x86_64-win)
    endif()
    list(APPEND VRN07_WINDOWS_VST3_MODULES
         ${CMAKE_BINARY_DIR}/vst3/VRN-07.vst3/Contents/${vst3_arch}/VRN-07.vst3)
endforeach()
