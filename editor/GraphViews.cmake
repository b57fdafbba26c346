# The spectrum and waveform viewers.
target_sources(vrn07_editor PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CGRAP.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CFRGRAP.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CWAVGRAP.cpp
)
