#include "automation/BindGlobals.h"

#include <QCollator>

namespace orvexa {

namespace {
bool SameName(const QString& a, const QString& b) {
    // The user's locale, case ignored; equal strings are always the same name.
    if (a == b)
        return true;
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b) == 0;
}
}  // namespace

qsizetype TBindGlobals::Find(const QString& name) const {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const qsizetype eq = lines_[i].indexOf(u'=');
        if (eq >= 0 && SameName(lines_[i].left(eq), name))
            return i;
    }
    return -1;
}

void TBindGlobals::Set(const QString& name, const QString& value) {
    const std::lock_guard lock(mutex_);
    const qsizetype found = Find(name);
    if (value.isEmpty()) {
        if (found >= 0)
            lines_.removeAt(found);
        return;
    }
    const QString line = name + u'=' + value;
    if (found >= 0)
        lines_[found] = line;
    else
        lines_.append(line);
}

QString TBindGlobals::Get(const QString& name) const {
    const std::lock_guard lock(mutex_);
    const qsizetype found = Find(name);
    if (found < 0)
        return QString();
    const QString& line = lines_[found];
    return line.mid(line.indexOf(u'=') + 1);
}

void TBindGlobals::Clear() {
    const std::lock_guard lock(mutex_);
    lines_.clear();
}

QStringList TBindGlobals::Lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

}  // namespace orvexa
