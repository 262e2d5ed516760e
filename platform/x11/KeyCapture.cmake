# The global key capture: the key-state table shared by every backend, the
# X RECORD backend, and the fake that tests drive with press/release rows.
# The virtual-key translation it uses comes with x11/Input.cmake.
find_package(Threads REQUIRED)
target_sources(orvexa_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../KeyStateTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11KeyCapture.cpp
)
target_link_libraries(orvexa_platform PRIVATE PkgConfig::X11 Threads::Threads)
# An XTEST key source of its own for the capture's real-X tests, and the plain
# KeyPress client that the key-latency benchmark measures against.
target_sources(orvexa_platform_fake PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../fake/FakeKeyCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyInjector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyPressReceiver.cpp
)
target_link_libraries(orvexa_platform_fake PRIVATE PkgConfig::X11)
