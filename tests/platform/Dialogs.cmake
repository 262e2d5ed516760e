# The Qt dialogs behind the dialog interface.
orvexa_test(test_qt_dialogs SOURCES QtDialogsTest.cpp LIBS orvexa_platform)
