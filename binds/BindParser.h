#pragma once

#include <QString>

namespace orvexa {

class TBindary;

// The part of a line before its first "#", or the line unchanged.
QString RemoveComments(const QString& line);

// Rebuilds the table from a script file: stops and clears it, then adds one
// entry per "//BIND" header with the code lines that follow it.
void ParseBinds(TBindary& binds, const QString& fileName);

}  // namespace orvexa
