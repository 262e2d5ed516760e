#pragma once

namespace orvexa {

// Once quitting has been requested, the process ends within `seconds` even
// when script code refuses to (it catches every exception, or blocks in a
// call that never returns): it then exits with code 0 without the rest of
// the shutdown, saying so on standard error. A program that ends in time
// never notices it.
void ArmQuitWatchdog(double seconds);

}  // namespace orvexa
