// A shared library that loads like an interpreter library but exports none
// of its symbols: binding against it must fail on the first one.
extern "C" __attribute__((visibility("default"))) int orvexa_fake_libpython_marker() { return 1; }
