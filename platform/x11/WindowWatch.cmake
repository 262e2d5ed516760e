# Watching the program's own windows on Qt's X connection (xcb events).
target_sources(orvexa_platform PRIVATE x11/WindowDestroyWatch.cpp)
