# The key store: the QSettings backend on a file of its own, and the fake.
orvexa_test(test_keystore SOURCES KeyStoreTest.cpp LIBS orvexa_platform_fake)
