#pragma once

#include "core/LineExecutor.h"
#include "platform/KeyCapture.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace orvexa {

// One bind section of a script: its event word, argument and code, and for
// a TIMER bind its timer. Entries are shared so that an entry whose code is
// still executing (its code let the event loop run and the table was rebuilt
// meanwhile) stays alive until that execution returns.
class TBindObj : public std::enable_shared_from_this<TBindObj> {
public:
    TBindObj(const QString& header, LineExecutor* engine, const QString& codeText, SourcePlace place = {});
    ~TBindObj();
    TBindObj(const TBindObj&) = delete;
    TBindObj& operator=(const TBindObj&) = delete;

    static QString ParseEvent(const QString& header);
    static QString ParseArgument(const QString& header);

    QString Event;
    QString Argument;
    QStringList CodeLines;
    // Where CodeLines stand in the script file, when they were read from one.
    SourcePlace Place;
    // A HOTKEY bind's combination, read once; none for other binds and for a
    // name no combination has.
    std::optional<platform::KeyCombination> Hotkey;
    LineExecutor* BindEngine = nullptr;

    bool HasTimer() const { return Timer != nullptr; }
    std::uint32_t Interval() const { return interval_; }
    bool TimerEnabled() const { return enabled_; }

    // Enabling an enabled timer, or disabling a disabled one, does nothing.
    void EnableTimer();
    void DisableTimer();
    // Runs the code with the timer off, then enables it again, unless the
    // timers were stopped meanwhile. When code runs that this one must not
    // nest in, the tick waits for it instead.
    void TimerTick();

    // Runs CodeLines; a failure has been reported already and is dropped.
    // False when the code ended with an error.
    bool Execute();

    // The table let go of this entry: it never re-arms its timer again.
    void Release();

private:
    void ArmSlice();

    std::unique_ptr<QTimer> Timer;
    std::uint32_t interval_ = 0;
    bool enabled_ = false;
    bool released_ = false;
    bool ticking_ = false;
    bool stoppedWhileTicking_ = false;
    std::uint64_t remainingMs_ = 0;
};

// The bind table: the entries of one script, in header order.
class TBindary {
public:
    explicit TBindary(LineExecutor* engine);
    ~TBindary();
    TBindary(const TBindary&) = delete;
    TBindary& operator=(const TBindary&) = delete;

    void AddBind(const QString& header, const QString& codeText, SourcePlace place = {});
    void ClearBinds();
    int BindCount() const { return static_cast<int>(Entries.size()); }
    TBindObj* GetBind(int index) const;
    void StartTimers();
    void StopTimers();
    // Runs the first entry that matches; false when its code ended with an
    // error, true otherwise (also when none matched).
    bool DispatchEvent(const QString& event, const QString& argument);

    LineExecutor* BindEngine() const { return engine_; }

private:
    std::vector<std::shared_ptr<TBindObj>> Entries;
    LineExecutor* engine_;
};

}  // namespace orvexa
