# The global key capture: the shared key-state table and the fake on their
# own, the RECORD backend against the X server of the test run.
orvexa_test(test_keycapture SOURCES KeyCaptureTest.cpp LIBS orvexa_platform_fake)
orvexa_test(test_keycapture_x11 SOURCES X11KeyCaptureTest.cpp LIBS orvexa_platform_fake LABELS x11)
# Key names on the layouts of the world (setxkbmap on the suite's server).
orvexa_test(test_keyboard_layouts SOURCES KeyboardLayoutsTest.cpp LIBS orvexa_platform_fake orvexa_binds LABELS x11)
