# The key store: QSettings in the user's configuration directory; an
# in-memory fake for tests.
target_sources(orvexa_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QtKeyStore.h
  ${CMAKE_CURRENT_LIST_DIR}/QtKeyStore.cpp)
target_sources(orvexa_platform_fake PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../fake/FakeKeyStore.h
  ${CMAKE_CURRENT_LIST_DIR}/../fake/FakeKeyStore.cpp)
