# The meters and the information button's document opener.
target_sources(vrn07_editor PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/InformationDocument.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LED_VUMETER.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VUMETER.cpp
)
if(WIN32)
    # ShellExecuteExA opens the document.
    target_link_libraries(vrn07_editor PUBLIC shell32)
endif()
