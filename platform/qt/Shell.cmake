target_sources(orvexa_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/QtShell.cpp)
target_sources(orvexa_platform_fake PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../fake/RecordingShell.cpp)
