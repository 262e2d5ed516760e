# Input synthesis and screen: virtual-key translation tables.
orvexa_test(test_virtualkeys SOURCES VirtualKeysTest.cpp LIBS orvexa_platform)
