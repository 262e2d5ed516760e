# X11 backends of input synthesis and the screen, and the translation between
# Windows virtual-key codes and X keys (shared with the global key capture).
target_sources(orvexa_platform PRIVATE
  x11/VirtualKeys.cpp
)
target_link_libraries(orvexa_platform PRIVATE PkgConfig::X11)
