#pragma once

namespace orvexa {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that the process was
// started without (some launchers close them). Otherwise the first file or
// socket the program opens takes one of those numbers, and whatever writes
// to "standard output" later (the interpreter at its shutdown) writes into
// it. Call first, before anything opens a file.
void EnsureStandardStreamsOpen();

}  // namespace orvexa
