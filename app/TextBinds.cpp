#include "app/TextBinds.h"

#include "automation/ProgramContext.h"
#include "binds/Bindary.h"
#include "binds/keyhook.h"
#include "core/EventTypes.h"
#include "core/Exception.h"
#include "core/Quit.h"
#include "core/Strings.h"
#include "platform/InputSynth.h"

#include <QCoreApplication>
#include <QSet>

namespace orvexa {
namespace {

// How soon an abbreviation that waits looks again whether code may start.
constexpr int kRetryMs = 25;

// One report of the typing watch on its way to the GUI thread.
class TypingEvent final : public QEvent {
public:
    explicit TypingEvent(platform::Typing typing) : QEvent(Type()), typing_(std::move(typing)) {}
    static QEvent::Type Type() { return EventTypeOf<TypingEvent>(); }
    const platform::Typing& Typing() const { return typing_; }

private:
    platform::Typing typing_;
};

}  // namespace

QStringList TextAbbreviations(const TBindary& binds) {
    QStringList abbreviations;
    QSet<QString> seen;
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (bind->Event == QLatin1String("TEXT") && !bind->Argument.isEmpty() && !seen.contains(bind->Argument)) {
            seen.insert(bind->Argument);
            abbreviations.append(bind->Argument);
        }
    }
    return abbreviations;
}

TextBinds::TextBinds(ProgramContext& context, MayStart mayStart, QObject* parent)
    : QObject(parent), context_(context), mayStart_(std::move(mayStart)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &TextBinds::Drain);
}

TextBinds::~TextBinds() { Disarm(); }

void TextBinds::Arm(TBindary& binds, const std::function<void(const QString&)>& tell) {
    Disarm();
    const QStringList abbreviations = TextAbbreviations(binds);
    if (abbreviations.isEmpty())
        return;
    const bool watching = HookHandle && HookHandle->SetTypingWatch([this](const platform::Typing& typing) {
        QCoreApplication::postEvent(this, new TypingEvent(typing));
    });
    if (!watching) {
        if (HookHandle)
            HookHandle->SetTypingWatch(nullptr);
        if (tell)
            tell(strings::TextBindsCannotFire() + u'\n');
        return;
    }
    if (context_.Services().session.IsWayland() && tell)
        tell(strings::TextBindsOnlyInX11Windows() + u'\n');
    binds_ = &binds;
    typed_.emplace(abbreviations);
}

void TextBinds::Disarm() {
    // Once the watch is unset no report comes; those on their way go.
    if (HookHandle)
        HookHandle->SetTypingWatch(nullptr);
    QCoreApplication::removePostedEvents(this, TypingEvent::Type());
    binds_ = nullptr;
    typed_.reset();
    waiting_.clear();
    retry_.stop();
}

bool TextBinds::event(QEvent* event) {
    if (event->type() != TypingEvent::Type())
        return QObject::event(event);
    if (typed_ && !quit::Requested()) {
        const QString abbreviation = typed_->Take(static_cast<TypingEvent*>(event)->Typing());
        if (!abbreviation.isEmpty()) {
            waiting_.push_back(abbreviation);
            Drain();
        }
    }
    return true;
}

void TextBinds::Drain() {
    while (!waiting_.empty() && binds_ && mayStart_()) {
        const QString abbreviation = waiting_.front();
        waiting_.pop_front();
        // The abbreviation goes before the bind runs, so that what the bind
        // types stands in its place; the BackSpaces are the program's own
        // keys, which the typing watch does not report.
        try {
            context_.Input().TypeText(std::u32string(static_cast<std::size_t>(CharacterCount(abbreviation)), U'\b'),
                                      nullptr);
        } catch (const Exception&) {
            // No display to erase on: the bind runs all the same, and says
            // so itself when it types.
        }
        binds_->DispatchEvent(QStringLiteral("TEXT"), abbreviation);
    }
    if (!waiting_.empty() && binds_)
        retry_.start();
}

}  // namespace orvexa
