# X11 backends of input synthesis and the screen (XTEST, XGetImage, XRandR)
# on one shared connection; the display guard and the error trap, and the
# translation between Windows virtual-key codes and X keys (shared with the
# global key capture and the test tools).
target_sources(orvexa_platform PRIVATE
  x11/X11Display.cpp
  x11/X11ErrorTrap.cpp
  x11/VirtualKeys.cpp
  x11/KeyboardMap.cpp
  x11/SpareKeys.cpp
  x11/X11Connection.cpp
  x11/X11Screen.cpp
  x11/X11Input.cpp
  x11/X11Backend.cpp
)
target_link_libraries(orvexa_platform PRIVATE PkgConfig::X11)

# Their fakes, and the X11 tools of the tests: a probe of the keyboard and
# pointer, a window that receives text, plain window requests.
target_sources(orvexa_platform_fake PRIVATE
  fake/FakeInputSynth.cpp
  fake/FakeScreen.cpp
  x11/X11Probe.cpp
  x11/TextReceiver.cpp
  x11/WindowRequests.cpp
)
target_link_libraries(orvexa_platform_fake PRIVATE PkgConfig::X11)
