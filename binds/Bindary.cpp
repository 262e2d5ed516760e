#include "binds/Bindary.h"

#include "binds/HotkeyNames.h"
#include "core/Exception.h"
#include "core/ScriptText.h"

#include <QTimer>

#include <algorithm>
#include <climits>
#include <optional>

namespace orvexa {
namespace {

// How soon a tick that had to wait for running code looks again.
constexpr int kTickRetryMs = 25;

// Signed 32-bit conversion: decimal digits with an optional sign, or
// hexadecimal digits after "$". Anything else fails.
std::optional<std::int32_t> ToInt32(const QString& text) {
    if (text.startsWith(u'$')) {
        const QStringView digits = QStringView(text).mid(1);
        if (digits.isEmpty())
            return std::nullopt;
        bool ok = false;
        const qulonglong value = digits.toULongLong(&ok, 16);
        if (!ok || value > 0xFFFFFFFFull)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    // Only ASCII digits with an optional leading sign; toInt alone would also
    // take blanks and other digit forms.
    qsizetype i = (text.startsWith(u'+') || text.startsWith(u'-')) ? 1 : 0;
    if (i >= text.size())
        return std::nullopt;
    for (qsizetype j = i; j < text.size(); ++j)
        if (text[j] < u'0' || text[j] > u'9')
            return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString AfterMarkerPrefix(const QString& header) { return header.size() > 7 ? header.mid(7) : QString(); }

}  // namespace

TBindObj::TBindObj(const QString& header, LineExecutor* engine, const QString& codeText, SourcePlace place)
    : CodeLines(SplitLines(codeText)), BindEngine(engine) {
    if (place.Fits(CodeLines.size()))
        Place = std::move(place);
    // Upper-casing touches the ASCII letters a to z only.
    QString event = ParseEvent(header);
    for (QChar& c : event)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    Event = event;
    Argument = ParseArgument(header);

    if (Event == QLatin1String("HOTKEY"))
        Hotkey = ParseHotkeyName(Argument);
    if (Event != QStringLiteral("TIMER"))
        return;
    const std::optional<std::int32_t> number = ToInt32(Argument);
    if (!number)
        return;
    interval_ = static_cast<std::uint32_t>(*number);
    Timer = std::make_unique<QTimer>();
    Timer->setSingleShot(true);
    Timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(Timer.get(), &QTimer::timeout, Timer.get(), [this] {
        // Intervals beyond what one QTimer run can hold are served in slices.
        if (remainingMs_ > 0) {
            ArmSlice();
            return;
        }
        TimerTick();
    });
}

TBindObj::~TBindObj() = default;

QString TBindObj::ParseEvent(const QString& header) {
    QString s = AfterMarkerPrefix(header);
    const qsizetype blank = s.indexOf(u' ');
    if (blank < 0)
        return s;
    return TrimControl(QStringView(s).left(blank));
}

QString TBindObj::ParseArgument(const QString& header) {
    const QString s = AfterMarkerPrefix(header);
    const qsizetype blank = s.indexOf(u' ');
    if (blank < 0)
        return QString();
    return TrimControl(QStringView(s).mid(blank + 1));
}

void TBindObj::ArmSlice() {
    const std::uint64_t slice = std::min<std::uint64_t>(remainingMs_, INT_MAX);
    remainingMs_ -= slice;
    Timer->start(static_cast<int>(slice));
    if (!Timer->isActive()) {
        enabled_ = false;
        throw Exception(QStringLiteral("Not enough timers available"));
    }
}

void TBindObj::EnableTimer() {
    if (!Timer || enabled_ || released_)
        return;
    enabled_ = true;
    // An interval of 0 never fires: the timer counts as enabled but is not run.
    if (interval_ == 0)
        return;
    remainingMs_ = interval_;
    ArmSlice();
}

void TBindObj::DisableTimer() {
    if (ticking_)
        stoppedWhileTicking_ = true;
    if (!Timer || !enabled_)
        return;
    enabled_ = false;
    remainingMs_ = 0;
    Timer->stop();
}

void TBindObj::TimerTick() {
    // Keep this entry alive while its code runs, even if the table is
    // rebuilt from inside that code.
    const std::shared_ptr<TBindObj> self = shared_from_this();
    if (BindEngine && !BindEngine->MayStart()) {
        // The timer stays enabled; Stop still turns it off.
        Timer->start(kTickRetryMs);
        return;
    }
    DisableTimer();
    ticking_ = true;
    stoppedWhileTicking_ = false;
    Execute();
    ticking_ = false;
    // Stop pressed while the code ran (and ended it) leaves the timer off.
    if (!stoppedWhileTicking_)
        EnableTimer();
}

bool TBindObj::Execute() {
    if (!BindEngine)
        return true;
    try {
        if (Place.Fits(CodeLines.size()))
            BindEngine->ExecuteLinesAt(CodeLines, Place);
        else
            BindEngine->ExecuteLines(CodeLines);
        return true;
    } catch (const std::exception&) {
        // The interpreter has already printed the error to the Output window.
        return false;
    }
}

void TBindObj::Release() {
    DisableTimer();
    released_ = true;
}

TBindary::TBindary(LineExecutor* engine) : engine_(engine) {}

TBindary::~TBindary() { ClearBinds(); }

void TBindary::AddBind(const QString& header, const QString& codeText, SourcePlace place) {
    Entries.push_back(std::make_shared<TBindObj>(header, engine_, codeText, std::move(place)));
}

void TBindary::ClearBinds() {
    std::vector<std::shared_ptr<TBindObj>> old;
    old.swap(Entries);
    for (const auto& entry : old)
        entry->Release();
}

TBindObj* TBindary::GetBind(int index) const {
    if (index < 0 || index >= BindCount())
        return nullptr;
    return Entries[static_cast<size_t>(index)].get();
}

void TBindary::StartTimers() {
    // Copy: a timer failure raises, and nothing here may see a changed table.
    const auto entries = Entries;
    for (const auto& entry : entries)
        entry->EnableTimer();
}

void TBindary::StopTimers() {
    for (const auto& entry : Entries)
        entry->DisableTimer();
}

bool TBindary::DispatchEvent(const QString& event, const QString& argument) {
    // TIMER entries run through their own timers only, never by name.
    if (event == QStringLiteral("TIMER"))
        return true;
    for (const auto& entry : Entries) {
        if (entry->Event == event && entry->Argument == argument) {
            const std::shared_ptr<TBindObj> running = entry;
            return running->Execute();
        }
    }
    return true;
}

}  // namespace orvexa
