#pragma once

#include <QString>
#include <QStringList>

#include <mutex>

namespace orvexa {

// The program-wide store of bind globals: an ordered list of name "=" value
// lines. Names compare without regard to case, by the user's locale. A value
// is never empty: storing an empty value removes the line.
//
// Script threads use the store while the GUI thread clears it (Run), each
// without the others' knowledge: every operation is serialised here.
class TBindGlobals {
public:
    void Set(const QString& name, const QString& value);
    QString Get(const QString& name) const;
    void Clear();
    QStringList Lines() const;

private:
    qsizetype Find(const QString& name) const;

    mutable std::mutex mutex_;
    QStringList lines_;
};

}  // namespace orvexa
