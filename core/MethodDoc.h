#pragma once

#include <QList>
#include <QString>

namespace orvexa {

// What a user is told of one method of a module: its name, its argument
// list as a call writes it ("x1, y1, x2, y2, rgb, variation=0"), and one
// line of help.
struct MethodDoc {
    QString name;
    QString arguments;
    QString help;

    // "Name(arguments)".
    QString Signature() const { return name + u'(' + arguments + u')'; }

    friend bool operator==(const MethodDoc&, const MethodDoc&) = default;
};

using MethodDocs = QList<MethodDoc>;

}  // namespace orvexa
