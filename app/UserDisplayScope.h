#pragma once

#include <QString>

namespace orvexa {

// Where the program's processes of one user on one display meet: a folder
// of the user's runtime folder (XDG_RUNTIME_DIR, private to the user),
// named after the display the processes work on. Made on first use; empty
// when it cannot be.
QString UserDisplayFolder();

}  // namespace orvexa
