#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace orvexa::fuzz {

// The application object the code under test may need (timers, D-Bus,
// image plug-ins), made once for the whole run.
void StartApplication(int* argc, char*** argv);

// Writes one input to the run's own scratch file, for code that reads files
// by name; the file is `name` in a private folder (in memory where
// /dev/shm is there), rewritten for every input.
QString InputFile(const char* name, const std::uint8_t* data, std::size_t size);

// Ends the run with a report libFuzzer keeps the input for: an oracle of
// the target did not hold.
[[noreturn]] void Fail(const char* what);

}  // namespace orvexa::fuzz
