#include "extension/OutputTracebacks.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace orvexa {
namespace {

bool IsFileLine(QStringView line) { return line.trimmed().startsWith(u"File \""); }

// The last line of a traceback reporting a syntax error, or one of its
// kinds.
bool IsSyntaxErrorLine(QStringView line) {
    for (QStringView kind : {u"SyntaxError", u"IndentationError", u"TabError"})
        if (line == kind || line.startsWith(kind.toString() + u':'))
            return true;
    return false;
}

}  // namespace

std::optional<ScriptPlace> ScriptPlaceIn(QStringView line) {
    static const QRegularExpression place(QStringLiteral(R"re(^\s*File "(.+\.orx)", line (\d+)(?:, in .*)?$)re"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = place.match(line.toString());
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int number = match.capturedView(2).toInt(&ok);
    if (!ok || number < 1)
        return std::nullopt;
    return ScriptPlace{match.captured(1), number};
}

OutputTracebacks::OutputTracebacks(QPlainTextEdit* output) : QObject(output), output_(output) {
    output->viewport()->installEventFilter(this);
    output->viewport()->setMouseTracking(true);
    connect(output->document(), &QTextDocument::contentsChange, this, &OutputTracebacks::Read);
}

std::optional<ScriptPlace> OutputTracebacks::PlaceAt(const QPoint& point) const {
    // The nearest position to a point below the last line is on that line:
    // only a point within the line's height counts.
    const QTextCursor cursor = output_->cursorForPosition(point);
    const QRect line = output_->cursorRect(cursor);
    if (point.y() < line.top() || point.y() > line.bottom())
        return std::nullopt;
    return ScriptPlaceIn(cursor.block().text());
}

bool OutputTracebacks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            if (const std::optional<ScriptPlace> place = PlaceAt(mouse->position().toPoint())) {
                emit LineActivated(place->file, place->line);
                return true;
            }
        }
    } else if (event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        output_->viewport()->setCursor(PlaceAt(mouse->position().toPoint()) ? Qt::PointingHandCursor : Qt::IBeamCursor);
    }
    return QObject::eventFilter(watched, event);
}

void OutputTracebacks::Read(int position, int removed, int added) {
    (void)removed;
    if (added <= 0)
        return;  // lines dropped from the top, or all of them cleared
    const QTextDocument* document = output_->document();
    const QTextBlock last = document->findBlock(position + added);
    for (QTextBlock block = document->findBlock(position); block.isValid(); block = block.next()) {
        // The line the new ones were added after is no new line.
        const bool before = block.position() < position && block.position() + block.length() - 1 == position;
        if (!before) {
            const QString line = block.text();
            if (IsFileLine(line)) {
                lastPlace_ = ScriptPlaceIn(line);
            } else if (!line.isEmpty() && !line.at(0).isSpace()) {
                if (IsSyntaxErrorLine(line) && lastPlace_)
                    emit SyntaxErrorAt(lastPlace_->file, lastPlace_->line);
                if (!line.startsWith(u"Traceback "))
                    lastPlace_.reset();
            }
        }
        if (block == last)
            break;
    }
}

}  // namespace orvexa
