#include "platform/qt/QtClipboard.h"

#include "core/Exception.h"
#include "core/Quit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMimeData>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace orvexa::platform {
namespace {

// How often a waiting thread looks whether the program is closing.
constexpr std::chrono::milliseconds kQuitLook(50);

// One call queued to the application's thread. It either runs there whole
// while the caller waits, or is given up before it starts and then never
// runs (the caller's references are gone by then).
struct QueuedCall {
    enum class State { Queued, Running, Done, GivenUp };
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Queued;
    std::function<void()> work;
};

class QtClipboard final : public Clipboard {
public:
    explicit QtClipboard(std::chrono::milliseconds queueTimeout) : queueTimeout_(queueTimeout) {}

    QString Text() override {
        QString text;
        OnApplicationThread([&text] {
            // Only what is offered as text: some programs (xclip) answer a
            // request for text with whatever they hold, an image too.
            const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
            if (data != nullptr && data->hasText())
                text = data->text();
        });
        return text;
    }

    void SetText(const QString& text) override {
        OnApplicationThread([&text] { QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard); });
    }

private:
    void OnApplicationThread(std::function<void()> work) {
        auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (application == nullptr)
            throw Exception(QStringLiteral("There is no clipboard: the program has no windows"));
        if (QThread::currentThread() == application->thread()) {
            work();
            return;
        }
        auto call = std::make_shared<QueuedCall>();
        call->work = std::move(work);
        QMetaObject::invokeMethod(
            application,
            [call] {
                {
                    const std::lock_guard lock(call->mutex);
                    if (call->state == QueuedCall::State::GivenUp)
                        return;
                    call->state = QueuedCall::State::Running;
                }
                call->work();
                const std::lock_guard lock(call->mutex);
                call->state = QueuedCall::State::Done;
                call->changed.notify_all();
            },
            Qt::QueuedConnection);

        const auto deadline = std::chrono::steady_clock::now() + queueTimeout_;
        std::unique_lock lock(call->mutex);
        while (call->state != QueuedCall::State::Done) {
            // Once running, the call ends of itself (Qt bounds its own wait
            // for another program's answer).
            if (call->state == QueuedCall::State::Queued &&
                (quit::Requested() || std::chrono::steady_clock::now() >= deadline)) {
                call->state = QueuedCall::State::GivenUp;
                throw Exception(quit::Requested()
                                    ? QString::fromUtf8(quit::kClosingMessage)
                                    : QStringLiteral("The clipboard could not be reached: Orvexa's main thread was "
                                                     "busy running script code for %1 ms")
                                          .arg(queueTimeout_.count()));
            }
            call->changed.wait_for(lock, kQuitLook);
        }
    }

    std::chrono::milliseconds queueTimeout_;
};

}  // namespace

std::unique_ptr<Clipboard> CreateQtClipboard(std::chrono::milliseconds queueTimeout) {
    return std::make_unique<QtClipboard>(queueTimeout);
}

}  // namespace orvexa::platform
