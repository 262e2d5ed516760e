#pragma once

#include "binds/TypedAbbreviations.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

namespace orvexa {

class TBindary;
class ProgramContext;

// The TEXT binds of an armed script: while armed, the key capture's typing
// watch reports what the user types (TypedAbbreviations keeps the last
// characters), and when the typing ends with an abbreviation, the
// abbreviation is erased in the focused window (one BackSpace per
// character, synthesized, which the watch never sees as the user's) and
// the bind runs. A bind that types text so replaces the abbreviation.
// Disarming, Stop and destruction forget what was typed.
//
// An abbreviation found while code runs that must not have a bind nested in
// it (LineExecutor::MayStart) is erased and run once code may start, in the
// order typed.
class TextBinds : public QObject {
    Q_OBJECT
public:
    using MayStart = std::function<bool()>;
    TextBinds(ProgramContext& context, MayStart mayStart, QObject* parent = nullptr);
    ~TextBinds() override;

    // Watches the typing for the TEXT binds of `binds`, which must outlive
    // the arming; what the user should know of it (no key stream here) goes
    // to `tell`. Nothing when the table has no TEXT bind with an
    // abbreviation.
    void Arm(TBindary& binds, const std::function<void(const QString&)>& tell);
    // Stops watching and forgets the typed characters and what waited.
    void Disarm();

protected:
    bool event(QEvent* event) override;

private:
    void Drain();

    ProgramContext& context_;
    MayStart mayStart_;
    TBindary* binds_ = nullptr;
    std::optional<TypedAbbreviations> typed_;
    std::deque<QString> waiting_;
    QTimer retry_;
};

// The abbreviations of the table's TEXT binds, each once, in table order.
QStringList TextAbbreviations(const TBindary& binds);

}  // namespace orvexa
