#pragma once

#include <QString>
#include <QStringList>

namespace orvexa {

// The program-wide store of bind globals: an ordered list of name "=" value
// lines. Names compare without regard to case, by the user's locale. A value
// is never empty: storing an empty value removes the line.
class TBindGlobals {
public:
    void Set(const QString& name, const QString& value);
    QString Get(const QString& name) const;
    void Clear() { lines_.clear(); }
    const QStringList& Lines() const { return lines_; }

private:
    qsizetype Find(const QString& name) const;
    QStringList lines_;
};

// The one store of the program, created at start-up.
TBindGlobals& BindGlobals();

}  // namespace orvexa
