#pragma once

#include <QString>

namespace orvexa {

class TBindary;

// The line without its comment: the part before the first "#" that stands
// outside every string literal, or the line unchanged. The line is read on
// its own (see CommentStripper for lines read in file order).
QString RemoveComments(const QString& line);

// Rebuilds the table from a script file: stops and clears it, then adds one
// entry per "//BIND" header with the code lines that follow it. Comments are
// removed as Python reads them, a section's lines in file order (a string
// may span lines); every header starts the reading afresh. A line left
// empty is dropped, unless it lies inside a string, whose text it is. Each
// entry knows the file and the file line of each of its code lines.
void ParseBinds(TBindary& binds, const QString& fileName);

}  // namespace orvexa
