#include "editor/MethodCompletion.h"

#include "editor/ScriptLexer.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>

namespace orvexa {
namespace {

using Sci = QsciScintillaBase;

// How far back the call around the caret is looked for.
constexpr long kCallReach = 4000;

bool IsWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == '_' || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u >= 0x80;
}

// The list's separator and the type separator it does not use: neither
// occurs in a signature or a line of help.
constexpr char kSeparator = '\n';
constexpr char kNoType = '\x1e';

}  // namespace

MethodCompletion::MethodCompletion(QsciScintilla* edit) : QObject(edit), edit_(edit) {
    connect(edit, &QsciScintillaBase::SCN_CHARADDED, this, &MethodCompletion::CharAdded);
    connect(edit, qOverload<const char*, int>(&QsciScintillaBase::SCN_AUTOCSELECTION), this, &MethodCompletion::Chosen);
    connect(edit, &QsciScintillaBase::SCN_UPDATEUI, this, &MethodCompletion::FollowCaret);
}

void MethodCompletion::SetMethods(const QString& module, const MethodDocs& methods) {
    module_ = module.toUtf8();
    methods_ = methods;
}

QStringList MethodCompletion::Items() const {
    qsizetype width = 0;
    for (const MethodDoc& method : methods_)
        width = std::max(width, method.Signature().size());
    QStringList items;
    for (const MethodDoc& method : methods_)
        items.append(method.Signature().leftJustified(width + 2) + method.help);
    return items;
}

long MethodCompletion::NameAfterModule(long end) const {
    const auto at = [this](long i) {
        return static_cast<char>(edit_->SendScintilla(Sci::SCI_GETCHARAT, static_cast<unsigned long>(i)));
    };
    long start = end;
    while (start > 0 && IsWordByte(at(start - 1)))
        --start;
    const auto length = static_cast<long>(module_.size());
    const long moduleStart = start - 1 - length;
    if (module_.isEmpty() || moduleStart < 0 || at(start - 1) != '.')
        return -1;
    // The module's name as the lexer marks it: a whole word in code, not in
    // a string or a comment.
    edit_->SendScintilla(Sci::SCI_COLOURISE, static_cast<unsigned long>(moduleStart), end);
    for (long i = 0; i < length; ++i)
        if (at(moduleStart + i) != module_.at(i) ||
            edit_->SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(moduleStart + i)) !=
                ScriptLexer::ModuleName)
            return -1;
    if (moduleStart > 0 && (IsWordByte(at(moduleStart - 1)) || at(moduleStart - 1) == '.'))
        return -1;
    return start;
}

const MethodDoc* MethodCompletion::MethodEndingAt(long end, long& nameStart) const {
    nameStart = NameAfterModule(end);
    if (nameStart < 0 || nameStart == end)
        return nullptr;
    QByteArray name(static_cast<qsizetype>(end - nameStart), '\0');
    for (long i = nameStart; i < end; ++i)
        name[static_cast<qsizetype>(i - nameStart)] =
            static_cast<char>(edit_->SendScintilla(Sci::SCI_GETCHARAT, static_cast<unsigned long>(i)));
    const QString wanted = QString::fromUtf8(name);
    const auto found = std::find_if(methods_.begin(), methods_.end(),
                                    [&wanted](const MethodDoc& method) { return method.name == wanted; });
    return found == methods_.end() ? nullptr : &*found;
}

bool MethodCompletion::ShowListAt(long caret) {
    const long start = NameAfterModule(caret);
    if (start < 0 || methods_.isEmpty())
        return false;
    edit_->SendScintilla(Sci::SCI_AUTOCSETSEPARATOR, static_cast<unsigned long>(kSeparator));
    edit_->SendScintilla(Sci::SCI_AUTOCSETTYPESEPARATOR, static_cast<unsigned long>(kNoType));
    edit_->SendScintilla(Sci::SCI_AUTOCSETIGNORECASE, 1);
    edit_->SendScintilla(Sci::SCI_AUTOCSETCASEINSENSITIVEBEHAVIOUR, Sci::SC_CASEINSENSITIVEBEHAVIOUR_IGNORECASE);
    edit_->SendScintilla(Sci::SCI_AUTOCSETORDER, Sci::SC_ORDER_PERFORMSORT);
    edit_->SendScintilla(Sci::SCI_AUTOCSETCHOOSESINGLE, 0);
    edit_->SendScintilla(Sci::SCI_AUTOCSETAUTOHIDE, 1);
    edit_->SendScintilla(Sci::SCI_AUTOCSETDROPRESTOFWORD, 0);
    edit_->SendScintilla(Sci::SCI_AUTOCSETMAXHEIGHT, 12);
    edit_->SendScintilla(Sci::SCI_AUTOCSETMAXWIDTH, 0);
    const QByteArray list = Items().join(QLatin1Char(kSeparator)).toUtf8();
    edit_->SendScintilla(Sci::SCI_AUTOCSHOW, static_cast<uintptr_t>(caret - start), list.constData());
    return true;
}

void MethodCompletion::Chosen(const char* item, int start) {
    // The item is the whole line of the list: only the name is written.
    edit_->SendScintilla(Sci::SCI_AUTOCCANCEL);
    const QString name = QString::fromUtf8(item).section(u'(', 0, 0).trimmed();
    const auto found = std::find_if(methods_.begin(), methods_.end(),
                                    [&name](const MethodDoc& method) { return method.name == name; });
    if (found == methods_.end())
        return;
    const QByteArray text =
        (found->name + (found->arguments.isEmpty() ? QStringLiteral("()") : QStringLiteral("("))).toUtf8();
    const long caret = edit_->SendScintilla(Sci::SCI_GETCURRENTPOS);
    edit_->SendScintilla(Sci::SCI_SETTARGETSTART, static_cast<unsigned long>(start));
    edit_->SendScintilla(Sci::SCI_SETTARGETEND, static_cast<unsigned long>(caret));
    edit_->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<uintptr_t>(text.size()), text.constData());
    const long after = start + static_cast<long>(text.size());
    edit_->SendScintilla(Sci::SCI_GOTOPOS, static_cast<unsigned long>(after));
    if (!found->arguments.isEmpty())
        ShowCallTipAt(after);
}

bool MethodCompletion::ShowCallTipAt(long caret) {
    // Back from the caret to the bracket that opens the call it is in,
    // counting only brackets and commas of code.
    const long limit = std::max(0L, caret - kCallReach);
    const long lineStart = edit_->SendScintilla(
        Sci::SCI_POSITIONFROMLINE,
        static_cast<unsigned long>(edit_->SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(limit))));
    edit_->SendScintilla(Sci::SCI_COLOURISE, static_cast<unsigned long>(lineStart), caret);
    int depth = 0;
    int argument = 0;
    long nameStart = -1;
    const MethodDoc* method = nullptr;
    for (long i = caret - 1; i >= limit && !method; --i) {
        if (edit_->SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(i)) != ScriptLexer::Operator)
            continue;
        switch (static_cast<char>(edit_->SendScintilla(Sci::SCI_GETCHARAT, static_cast<unsigned long>(i)))) {
        case ')':
        case ']':
        case '}':
            ++depth;
            break;
        case '(':
        case '[':
        case '{': {
            if (depth > 0) {
                --depth;
                break;
            }
            // An opening bracket the caret is behind: the call looked for,
            // or something inside one of its arguments.
            const char c = static_cast<char>(edit_->SendScintilla(Sci::SCI_GETCHARAT, static_cast<unsigned long>(i)));
            method = c == '(' ? MethodEndingAt(i, nameStart) : nullptr;
            if (!method)
                argument = 0;
            break;
        }
        case ',':
            if (depth == 0)
                ++argument;
            break;
        default:
            break;
        }
    }
    if (!method || method->arguments.isEmpty()) {
        edit_->SendScintilla(Sci::SCI_CALLTIPCANCEL);
        return false;
    }
    const QByteArray tip = (method->Signature() + u'\n' + method->help).toUtf8();
    if (!edit_->SendScintilla(Sci::SCI_CALLTIPACTIVE) || edit_->SendScintilla(Sci::SCI_CALLTIPPOSSTART) != nameStart) {
        edit_->SendScintilla(Sci::SCI_CALLTIPSHOW, static_cast<uintptr_t>(nameStart), tip.constData());
    }
    // The highlighted argument: the one the caret is in, within the
    // signature's list.
    const QStringList names = method->arguments.split(QStringLiteral(", "));
    if (argument < names.size()) {
        long from = static_cast<long>(method->name.toUtf8().size()) + 1;
        for (int k = 0; k < argument; ++k)
            from += static_cast<long>(names.at(k).toUtf8().size()) + 2;
        edit_->SendScintilla(Sci::SCI_CALLTIPSETHLT, static_cast<unsigned long>(from),
                             from + static_cast<long>(names.at(argument).toUtf8().size()));
    } else {
        edit_->SendScintilla(Sci::SCI_CALLTIPSETHLT, 0, 0L);
    }
    return true;
}

void MethodCompletion::CharAdded(int character) {
    const long caret = edit_->SendScintilla(Sci::SCI_GETCURRENTPOS);
    if (character == '.')
        ShowListAt(caret);
    else if (character == '(')
        ShowCallTipAt(caret);
    else
        FollowCaret();
}

void MethodCompletion::FollowCaret() {
    if (edit_->SendScintilla(Sci::SCI_CALLTIPACTIVE))
        ShowCallTipAt(edit_->SendScintilla(Sci::SCI_GETCURRENTPOS));
}

bool MethodCompletion::Offer() {
    const long caret = edit_->SendScintilla(Sci::SCI_GETCURRENTPOS);
    return ShowListAt(caret) || ShowCallTipAt(caret);
}

}  // namespace orvexa
