# Input synthesis and screen: the named virtual-key codes, the translation
# tables, and the X11 backends against a real X server, with the display
# guard and the error trap they share.
orvexa_test(test_virtualkeys SOURCES VirtualKeyCodesTest.cpp VirtualKeysTest.cpp LIBS orvexa_platform)
orvexa_test(test_x11_input SOURCES X11InputTest.cpp X11DisplayTest.cpp X11ErrorTrapTest.cpp
  LIBS orvexa_platform_fake LABELS x11)
orvexa_test(test_spare_keys SOURCES SpareKeysTest.cpp LIBS orvexa_platform orvexa_platform_fake LABELS x11)
